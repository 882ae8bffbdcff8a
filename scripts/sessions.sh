#!/usr/bin/env bash
# Replays a fixed set of key sessions with the headless runner and keeps what each one leaves:
# the trace, the JSON summary, the path file and the robot URDF, with the times masked. Two
# builds compared this way must leave the same files: the check of a change that should not
# change behaviour.
#   bash scripts/sessions.sh BUILD_DIR OUT_DIR     then   diff -r OUT_A OUT_B
# Eight robots, every key in every mode, the slit and goal moved, playback of the forward and the
# shortened motion, 'N', and the planner options (time-bounded: compare them on an idle machine).
set -uo pipefail
run=$(realpath "$1")/slitpass-run
out=$2
mkdir -p "$out"
rm -f "$out"/*

sessions() {
  local t=$'\t' r d
  for r in F11 F12 F21 F22 F31 F32 F41 F42; do
    d="${r:1:2}"
    cat <<L
$r-solve$t--robot $r --solve$t
$r-fwd$t--robot $r --solve --forward$t
$r-short$t--robot $r --solve --shorten --forward$t
$r-csv$t--robot $r --solve --forward --format csv --speed 2$t
$r-akeys$t--robot $r${t}A{a*3}b{SP}aab{SP}{SP}ab1a2b4a5b6aab
$r-slit$t--robot $r${t}O1111222A{a*4}b{SP}aabO4444455555A{a*2}b
$r-view$t--robot $r${t}PpQqRrXxYyZz!"#\$%&G0PPPQQ{ESC}
$r-b$t--robot $r${t}A{a*6}bB{s*40}SSSsss{s*40}B{s*20}
$r-bo$t--robot $r${t}A{a*6}bB{s*30}O3A{a*3}bB{s*30}OA
$r-cplay$t--robot $r${t}A{a*6}bB{s*600}C{s*50}{S*20}H{s*30}S{s*10}C{s*5}
$r-moves$t--robot $r${t}A{a*6}bB{s*100}Cs{S*3}A{a*2}bB{s*5}0A{a*3}B
$r-fsw$t${t}F${d}A{a*3}bF${r:1:1}A{a*2}FxF9${d}Ab
$r-slitx$t--robot $r --slit 0,2.6,0.1 --solve --forward$t
$r-goalx$t--robot $r --goal 0,3.95,0.1 --solve$t
$r-N$t--robot $r${t}A{a*6}bN{s*30}S
$r-Hnc$t--robot $r${t}H{SP}HA{a*2}bHC
$r-auto$t--robot $r --slit 0.05,2.6,0 --solve --planner auto --plan-time 1 --shorten$t
L
  done
  cat <<L
P1-auto$t--robot F41 --slit 0.1,2.6,0 --solve --planner auto --plan-time 2$t
P2-ompl$t--robot F31 --solve --planner ompl --plan-time 2 --forward$t
P3-auto$t--robot F21 --slit 0,2.6,0.2 --solve --planner auto --plan-time 2 --shorten$t
P4-N$t--robot F12 --goal 0.05,3.98,0.1${t}N{s*20}
L
}

n=0
while IFS=$'\t' read -r name opts script; do
  read -r -a o <<<"$opts"
  [ -n "$script" ] && o+=("$script")
  "$run" "${o[@]}" --json --trace "$out/$name.trace" --path-out "$out/$name.path" --urdf "$out/$name.urdf" \
    </dev/null >"$out/$name.json" 2>"$out/$name.err"
  echo "rc=$?" >>"$out/$name.err"
  # Milliseconds differ from run to run; so do the counts of the numeric final-pose search where
  # it found nothing (it is bounded by time as well as by count).
  sed -i -E 's/"(ms|msB|msKeys|millis)": [0-9.e+-]+/"\1": X/g; s/"found": 0, "ms": X, "starts": [0-9]+/"found": 0, "ms": X, "starts": N/' "$out/$name.json"
  sed -i -E 's/\(([0-9.]+)ms\)/(Xms)/g; s/ [0-9.]+ms( |$)/ Xms\1/g; s/初期値[0-9]+個 ゲート通過0個 解なし/初期値N個 ゲート通過0個 解なし/' "$out/$name.trace" 2>/dev/null
  sed -i -E 's/\([0-9]+ starts; poses off the goal [0-9]+, at it against the wall [0-9]+, floor [0-9]+, self [0-9]+, work [0-9]+\)/(N starts)/' "$out/$name.err" "$out/$name.json" "$out/$name.trace" 2>/dev/null
  n=$((n + 1))
done < <(sessions)
echo "$n sessions replayed into $out"
