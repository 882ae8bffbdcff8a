# Replays the headless runner's automatic solve in the simulator window: the solve's key script
# is typed into the window, then 's' moves the robot along the path in C mode. Sourced after
# tests/support/window_lib.bash by scripts/demo.sh and scripts/screenshot.sh.

RL_SCRIPT="" RL_ROWS=0 RL_GOAL_PRESSES=0

# CPU clock ticks used so far by the process with the given id.
rl_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo gone; }

# True when neither the program nor the display used the processor for 0.2 s and then the
# picture stayed the same: every key typed so far is handled and its frame is shown. The cheap
# tick check comes first, so that waiting on a long calculation takes little processor time.
rl_quiet() {
  local p0 x0 h0 h1
  p0=$(rl_ticks "$WL_PID") x0=$(rl_ticks "$WL_XVFB_PID")
  sleep 0.2
  [ "$p0" = "$(rl_ticks "$WL_PID")" ] && [ "$x0" = "$(rl_ticks "$WL_XVFB_PID")" ] || return 1
  h0=$(timeout 10 import -window "$WL_WID" ppm:- | md5sum)
  sleep 0.1
  h1=$(timeout 10 import -window "$WL_WID" ppm:- | md5sum)
  [ "$h0" = "$h1" ] && [ "$p0" = "$(rl_ticks "$WL_PID")" ]
}

# Waits until the window is quiet, at most LIMIT seconds.
rl_settle() {
  local end=$((SECONDS + $1))
  while [ "$SECONDS" -lt "$end" ]; do
    rl_quiet && return 0
    kill -0 "$WL_PID" 2>/dev/null || wl_fail "the program ended: $(tail -c 300 "$WL_DIR/stderr")"
  done
  wl_fail "the window did not settle within $1 s"
}

# Asks the runner BUILD/slitpass-run to solve the task for ROBOT. Sets RL_SCRIPT (the keys
# pressed, space as a real space), RL_ROWS (rows of the path) and RL_GOAL_PRESSES (the 's'
# presses in C mode that bring the robot to the goal, checked by the runner). Fails with the
# runner's reason when the robot has no complete path.
rl_solve() {
  local run="$1/slitpass-run" robot=$2 json rc=0 line script step n
  [[ $robot =~ ^F[1-4][12]$ ]] || wl_fail "unknown robot '$robot' (F11 F12 F21 F22 F31 F32 F41 F42)"
  [ -x "$run" ] || wl_fail "$run not found (build first: make build)"
  json=$("$run" --robot "$robot" --solve --json 2>"$WL_DIR/solve.err") || rc=$?
  if [ "$rc" -ne 0 ]; then
    wl_fail "robot $robot has no complete path with this build, nothing to show" \
      "($(tr '\n' ' ' <"$WL_DIR/solve.err"))"
  fi
  line=$(grep -m 1 '"solve": {' <<<"$json") || wl_fail "no solve report in the runner's output"
  RL_ROWS=""
  [[ $line =~ \"rows\":\ ([0-9]+) ]] && RL_ROWS=${BASH_REMATCH[1]}
  script=$(sed -n 's/^ *"script": "\([^"]*\)",\{0,1\}$/\1/p' <<<"$json")
  if [ -z "$script" ] || [ -z "$RL_ROWS" ]; then
    wl_fail "no key script or row count in the solve report"
  fi
  # One key per character; only the space has a name of its own.
  RL_SCRIPT=${script//\{SP\}/ }
  [[ $RL_SCRIPT != *[{}]* ]] || wl_fail "the key script has a notation this replay does not know: $script"
  # A C-mode 's' moves 1 row, 2 rows beyond 500 rows, 3 beyond 800; one more press past the
  # last row shows the goal status.
  step=$((1 + (RL_ROWS > 500) + (RL_ROWS > 800)))
  RL_GOAL_PRESSES=$((RL_ROWS / step + 1))
  n=$RL_GOAL_PRESSES
  [[ $("$run" --robot "$robot" --json "$script{s*$n}") == *'"sgnMOVE": "E"'* ]] ||
    wl_fail "the runner does not reach the goal after $n presses of 's' in C mode"
  [[ $("$run" --robot "$robot" --json "$script{s*$((n - 1))}") == *'"sgnMOVE": "M"'* ]] ||
    wl_fail "the runner reaches the goal before $n presses of 's' in C mode"
  RL_SCRIPT="$robot$RL_SCRIPT"
}

# Types the robot choice and the solve script into the window and waits for the calculation.
# The calculation redraws the window several times per key; a software renderer takes less time
# for a small window, so the window is shrunk while the keys are handled and then given back its
# size (the picture is drawn anew from the state).
rl_type_solve() {
  local n=${#RL_SCRIPT} size
  size=$(xdotool getwindowgeometry "$WL_WID" | sed -n 's/^ *Geometry: \([0-9]*\)x\([0-9]*\)$/\1 \2/p')
  [ -n "$size" ] || wl_fail "cannot read the window size"
  timeout 10 xdotool windowsize --sync "$WL_WID" 100 100 || wl_fail "cannot shrink the window"
  rl_settle 10
  timeout $((30 + n / 20)) xdotool type --delay 5 "$RL_SCRIPT" || wl_fail "xdotool type failed"
  # Allow for a slow, shared machine.
  rl_settle $((60 + n / 4))
  # shellcheck disable=SC2086  # width and height
  timeout 10 xdotool windowsize --sync "$WL_WID" $size || wl_fail "cannot give the window its size back"
  rl_settle 10
}

# Presses 's' COUNT times.
rl_press_s() {
  local keys
  keys=$(printf "%${1}s" "" | tr ' ' s)
  timeout 60 xdotool type --delay 5 "$keys" || wl_fail "xdotool type failed"
}
