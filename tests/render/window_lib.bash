# Helpers for driving the simulator window from a shell: a private Xvfb display, the program
# started with no console input, keys typed into its window, screenshots and pixel counts.
# Sourced by tests/render/*.sh and scripts/screenshot.sh. Every wait has a time limit.

WL_DIR=""
WL_XVFB_PID=""
WL_PID=""
WL_WID=""
WL_TITLE='^F:Robot Choice, O:Obstacle Set, A:Cal\. of Goal Pose, B:Path Generation, C:Path Motion$'

wl_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Ends the program and the display started here (by their process ids) and removes the files.
wl_cleanup() {
  if [ -n "$WL_PID" ]; then kill "$WL_PID" 2>/dev/null || true; fi
  if [ -n "$WL_XVFB_PID" ]; then kill "$WL_XVFB_PID" 2>/dev/null || true; fi
  if [ -n "$WL_DIR" ]; then rm -rf "$WL_DIR"; fi
  return 0
}

# A display of its own, so that no other window covers the program's window.
wl_start_xvfb() {
  WL_DIR=$(mktemp -d)
  command -v Xvfb >/dev/null || wl_fail "Xvfb is not installed (scripts/setup.sh installs it)"
  Xvfb -displayfd 9 -screen 0 800x700x24 -nolisten tcp 9>"$WL_DIR/display" >"$WL_DIR/xvfb.log" 2>&1 &
  WL_XVFB_PID=$!
  local n
  for n in $(seq 100); do
    [ -s "$WL_DIR/display" ] && break
    sleep 0.1
  done
  [ -s "$WL_DIR/display" ] || wl_fail "Xvfb did not start: $(cat "$WL_DIR/xvfb.log")"
  export DISPLAY=":$(tr -d '[:space:]' <"$WL_DIR/display")"
}

# Starts the program with standard input from /dev/null and waits for its window to show.
wl_start_program() {
  "$1" </dev/null >"$WL_DIR/stdout" 2>"$WL_DIR/stderr" &
  WL_PID=$!
  WL_WID=$(timeout 20 xdotool search --sync --onlyvisible --name "$WL_TITLE" 2>/dev/null | head -n 1) || true
  [ -n "$WL_WID" ] || wl_fail "no window titled like '$WL_TITLE' within 20 s; stderr: $(cat "$WL_DIR/stderr")"
  timeout 10 xdotool windowfocus --sync "$WL_WID" || wl_fail "cannot focus the window"
}

# Screenshot of the program's window.
wl_shot() {
  [ -n "$WL_WID" ] || wl_fail "no window to take a picture of"
  timeout 10 import -window "$WL_WID" "$1" || wl_fail "import failed"
}

# Number of differing pixels of two pictures (optionally of one region WxH+X+Y of both).
wl_diff() {
  local a=$1 b=$2 region=${3:-}
  if [ -n "$region" ]; then
    timeout 20 convert "$a" -crop "$region" +repage "$WL_DIR/diff_a.png"
    timeout 20 convert "$b" -crop "$region" +repage "$WL_DIR/diff_b.png"
    a="$WL_DIR/diff_a.png"
    b="$WL_DIR/diff_b.png"
  fi
  # compare exits with 1 when the pictures differ; its count goes to standard error.
  local out
  out=$(timeout 20 compare -metric AE "$a" "$b" null: 2>&1) || true
  echo "$out" | awk 'NR == 1 { printf "%d\n", $1 }'
}

# Waits until the window's picture differs from the picture PREV, then stores it in OUT.
wl_shot_changed() {
  local prev=$1 out=$2 n
  for n in $(seq 50); do
    wl_shot "$out"
    [ "$(wl_diff "$prev" "$out")" != "0" ] && return 0
    sleep 0.1
  done
  wl_fail "the picture did not change within 5 s"
}

# Waits until the picture differs from PREV and then holds still (all typed keys handled).
wl_shot_settled() {
  local prev=$1 out=$2 n
  wl_shot_changed "$prev" "$out"
  for n in $(seq 50); do
    sleep 0.1
    wl_shot "$WL_DIR/settle.png"
    if [ "$(wl_diff "$out" "$WL_DIR/settle.png")" = "0" ]; then return 0; fi
    cp "$WL_DIR/settle.png" "$out"
  done
  wl_fail "the picture did not settle within 5 s"
}

# Waits until the window shows a frame (something besides the white clear colour).
wl_shot_drawn() {
  local out=$1 n
  for n in $(seq 50); do
    wl_shot "$out"
    [ "$(wl_count "$out" wall)" -gt 0 ] && return 0
    sleep 0.1
  done
  wl_fail "no frame drawn within 5 s"
}

# Counts pixels of a colour class: wall (translucent wall red), link (lit link colour),
# dark (text and lines).
wl_count() {
  timeout 30 convert "$1" -depth 8 -compress none ppm:- | awk -v cls="$2" '
    {
      for (i = 1; i <= NF; i++) {
        if ($i ~ /^P/) continue
        if (header < 3) { header++; continue }  # width, height, maximum value
        v[k++] = $i + 0
        if (k < 3) continue
        k = 0; r = v[0]; g = v[1]; b = v[2]
        d = g - b; if (d < 0) d = -d
        if (cls == "wall" && r >= 200 && g < 130 && b < 130 && d < 12) n++
        else if (cls == "link" && g >= r + 8 && g > 100 && d <= 10) n++
        else if (cls == "dark" && r < 225 && g < 50 && b < 50) n++
      }
    }
    END { print n + 0 }'
}

# Dark pixels (text, lines) of the region WxH+X+Y: prints "common total", the number of pixels
# dark in both pictures and the number dark in the first. Text that stays in place keeps nearly
# all its pixels; thin lines of a moved 3-D scene keep few.
wl_dark_kept() {
  local a=$1 b=$2 region=$3
  timeout 20 convert "$a" -crop "$region" +repage -depth 8 -compress none ppm:- >"$WL_DIR/kept_a.ppm"
  timeout 20 convert "$b" -crop "$region" +repage -depth 8 -compress none ppm:- >"$WL_DIR/kept_b.ppm"
  awk '
    {
      for (i = 1; i <= NF; i++) {
        if ($i ~ /^P/) { header = 0; k = 0; p = 0; file++; continue }
        if (header < 3) { header++; continue }
        v[k++] = $i + 0
        if (k < 3) continue
        k = 0
        dark = v[0] < 225 && v[1] < 50 && v[2] < 50
        if (file == 1) first[p] = dark
        else if (dark && first[p]) common++
        if (file == 1 && dark) total++
        p++
      }
    }
    END { print common + 0, total + 0 }' "$WL_DIR/kept_a.ppm" "$WL_DIR/kept_b.ppm"
}

# Types text into the focused window, one key at a time.
wl_type() {
  timeout 10 xdotool type --delay 30 "$1" || wl_fail "xdotool type failed"
}

wl_key() {
  timeout 10 xdotool key "$1" || wl_fail "xdotool key failed"
}

# Waits for the program to end and puts its exit code into WL_RC.
WL_RC=""
wl_wait_exit() {
  local n
  for n in $(seq 100); do
    if ! kill -0 "$WL_PID" 2>/dev/null; then
      WL_RC=0
      wait "$WL_PID" || WL_RC=$?
      WL_PID=""
      return 0
    fi
    sleep 0.1
  done
  wl_fail "the program did not end within 10 s"
}
