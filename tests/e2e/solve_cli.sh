#!/usr/bin/env bash
# The one-command solve as a user calls it: a complete path file for every robot, checked by
# the independent path check (the shapes as drawn);
# refused options, bad path files and an unsolvable scene with their exit codes.
set -u
run=$1 check=$2
fail() { echo "FAIL: $*"; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

for r in F11 F12 F21 F22 F31 F32 F41 F42; do
  "$run" --robot "$r" --solve --path-out "$dir/$r.txt" --json >"$dir/$r.json" 2>"$dir/$r.err" ||
    fail "$r: no path: $(cat "$dir/$r.err")"
  grep -q '"result": "complete"' "$dir/$r.json" || fail "$r: solve object does not say complete"
  head -n 1 "$dir/$r.txt" | grep -q "^# robot $r rh " || fail "$r: path file header"
  "$check" "$dir/$r.txt" >"$dir/$r.check" || fail "$r: path check: $(cat "$dir/$r.check")"
  # Where the A and B keys give the path, the fallbacks leave it alone, byte for byte.
  "$run" --robot "$r" --solve --planner auto --path-out "$dir/$r.auto" >/dev/null 2>&1 || fail "$r: auto"
  cmp -s "$dir/$r.txt" "$dir/$r.auto" || fail "$r: auto path differs from native"
done
# F11 with the goal 0.05 further: no final pose from the A keys; auto finds a numeric one and a
# planned path that the independent check takes.
"$run" --robot F11 --goal 0.2,3.18,0.1 --solve --planner auto --path-out "$dir/p.txt" --json >"$dir/p.json" 2>"$dir/err" ||
  fail "auto on F11 goal y+0.05: $(cat "$dir/err")"
grep -q '"poseBy": "numeric", "pathBy": "planner"' "$dir/p.json" || fail "auto on F11: methods not reported"
"$check" "$dir/p.txt" >"$dir/p.check" || fail "auto on F11: path check: $(cat "$dir/p.check")"
# The forward path of the same solve passes the same check.
"$run" --robot F31 --solve --forward --path-out "$dir/fwd.txt" >/dev/null 2>&1 || fail "forward solve"
"$check" "$dir/fwd.txt" | grep -q '(forward, .*): valid' || fail "forward path check"

# Bad path files: exit 2 and a message; the values are counted per line.
head -n 1 "$dir/F31.txt" >"$dir/bad-empty.txt"
{ cat "$dir/bad-empty.txt"; echo "0 0 0 0 0 0 0 nan"; } >"$dir/bad-nan.txt"
{ cat "$dir/bad-empty.txt"; echo "0 0 0 0 0 0 0"; echo "0 0 0 0 0 0 0 0 0"; } >"$dir/bad-count.txt"
echo "0 0 0 0 0 0 0 0" >"$dir/bad-header.txt"
for f in bad-empty bad-nan bad-count bad-header missing; do
  "$check" "$dir/$f.txt" >/dev/null 2>"$dir/err"; rc=$?
  [ "$rc" = 2 ] && grep -q '^slitpass-check: ' "$dir/err" || fail "$f: exit $rc, message: $(cat "$dir/err")"
done

# Refused scene options: exit 2 with a message naming the option.
expect_refused() {
  local what=$1; shift
  "$run" "$@" >/dev/null 2>"$dir/err"; local rc=$?
  [ "$rc" = 2 ] || fail "$what: exit $rc, expected 2"
  grep -q "$what" "$dir/err" || fail "$what: message: $(cat "$dir/err")"
}
expect_refused "unknown robot" --robot F52 --solve
expect_refused "slit" --slit 1.605,2.3,0 --solve
expect_refused "wall is too far" --slit 9.6,2.3,0 --solve
expect_refused "goal" --goal 2.35,1.0,0.1 --solve
expect_refused "goal" --goal 2.35,3.6 --solve
expect_refused "unknown planner" --solve --planner rrt
expect_refused "plan-time" --solve --planner auto --plan-time -1
expect_refused "plan-time" --solve --planner auto --plan-time 1s
expect_refused "need --solve" --planner auto

# A goal far out of reach: no final pose, exit 1 with one line saying what stopped it.
"$run" --goal 2.35,9.6,0.1 --solve --path-out "$dir/none.txt" >/dev/null 2>"$dir/err"; rc=$?
[ "$rc" = 1 ] || fail "unsolvable scene: exit $rc, expected 1"
[ "$(wc -l <"$dir/err")" = 1 ] && grep -q '^slitpass-run: no path: no final pose' "$dir/err" ||
  fail "unsolvable scene message: $(cat "$dir/err")"
[ ! -e "$dir/none.txt" ] || fail "no path file without a path"
echo "solve CLI: ok"
