#!/usr/bin/env bash
# The headless runner as a user calls it: exit codes, options and the JSON summary.
set -u
run=$1
fail() { echo "FAIL: $*"; exit 1; }

out=$("$run" --json </dev/null) || fail "empty script should succeed"
echo "$out" | grep -q '"robot": "F21"' || fail "default robot"
for field in '"rhx": 1.6,' '"rhy1": 2.1,' '"rhy2": 2.5,' '"wristp": [2.35,3.6,0.5],'; do
  echo "$out" | grep -qF "$field" || fail "start-up: $field"
done

# The status list is the block the window shows: none beside the robot choice menu.
out=$("$run" --json 'F' </dev/null) || fail "F"
echo "$out" | grep -qF '"status": [],' || fail "menu: status not empty"
echo "$out" | grep -qF '"J": [[0,0,0],[0,0,0],[0,0,1],[0,0,3],[0,0,5],[0,0,6],[0,0,7],[0,0,7],[0,0,7],[0,0,7.4]]' ||
  fail "straight pose of the menu"
out=$("$run" --json 'O{2*700}' </dev/null) || fail "slit moved away"
echo "$out" | grep -qF '"status": ["(O) Hit (1,2,3) to +, or (4,5,6) to -[x,y,z]\n", "###Wall is too Far. Set it Nearer.###\n"],' ||
  fail "slit out of reach: status lines"

"$run" 'a{b*' </dev/null >/dev/null 2>err.txt; [ $? -eq 2 ] || fail "malformed script must exit 2"
grep -q 'malformed key script' err.txt || fail "malformed script message"
"$run" --bogus </dev/null >/dev/null 2>err.txt; [ $? -eq 2 ] || fail "unknown option must exit 2"
grep -q "unknown option '--bogus'" err.txt || fail "unknown option message"
"$run" --trace </dev/null >/dev/null 2>&1; [ $? -eq 2 ] || fail "--trace without value must exit 2"

"$run" --trace trace.txt 'F21' </dev/null >/dev/null || fail "trace to file"
grep -q '選択したロボットタイプF21' trace.txt || fail "trace file holds the robot choice"
out=$("$run" '{ESC}PPP' </dev/null) || fail "ESC ends with 0"
[ "$(echo "$out" | grep -c '^key ')" -eq 1 ] || fail "ESC stops the script"
# Path files: header, NPATH + 1 rows of N joints, the forward path the reverse one turned round.
s='F31aabaabaabaabaabB{s*200}C'
out=$("$run" --json --path-out rev.txt "$s" </dev/null) && "$run" --path-out fwd.txt --forward "$s" </dev/null >/dev/null || fail "path-out"
n=$(echo "$out" | sed -n 's/.*"NPATH": \([0-9]*\).*/\1/p'); echo "$out" | grep -q '"sgnPATHEnd": 1' || fail "F31 path"
[ "$(head -1 rev.txt)" = "# robot F31 rh 0 2.6 0 goal 0 3.98 0.1" ] && [ "$(head -1 fwd.txt)" = "$(head -1 rev.txt)" ] || fail "header"
[ "$(tail -n +2 rev.txt | grep -cE '^-?[0-9][^ ]*( -?[0-9][^ ]*){7}$')" -eq $((n + 1)) ] || fail "reverse rows"
[ "$(tail -n +2 fwd.txt | wc -l)" -eq $((n + 1)) ] || fail "forward rows"
[ "$(sed -n 2p rev.txt)" = "$(tail -1 fwd.txt)" ] && [ "$(sed -n 2p fwd.txt)" = "0 0 0 0 0 0 0 0" ] || fail "path ends"
"$run" --forward 'F31' </dev/null >/dev/null 2>&1; [ $? -eq 2 ] || fail "--forward without --path-out must exit 2"
rm -f err.txt trace.txt rev.txt fwd.txt
echo "runner CLI: all checks passed"
