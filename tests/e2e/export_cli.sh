#!/usr/bin/env bash
# Path and robot exports as a user calls them: the CSV and JSON of a default solve load back to
# the rows of the text format, with time stamps that follow the time law at --speed; refused
# options and unwritable files exit 2 and write nothing.
set -u
run=$1
fail() { echo "FAIL: $*"; exit 1; }
command -v jq >/dev/null || fail "jq is needed (scripts/setup.sh installs it)"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

for way in reverse forward; do
  fwd=(); [ $way = forward ] && fwd=(--forward)
  "$run" --solve "${fwd[@]}" --path-out "$dir/$way.txt" >/dev/null 2>&1 || fail "$way txt"
  "$run" --solve "${fwd[@]}" --path-out "$dir/$way.csv" --format csv --speed 0.5 >/dev/null 2>&1 || fail "$way csv"
  "$run" --solve "${fwd[@]}" --path-out "$dir/$way.json" --format json >/dev/null 2>&1 || fail "$way json"
  [ "$(head -n 1 "$dir/$way.csv")" = "t,j1,j2,j3,j4,j5,j6,j7,j8" ] || fail "$way csv header"
  # Rows as numbers: text, CSV (after its time column) and JSON must be the same doubles; the
  # time stamps must be t[k] - t[k-1] = max(largest joint change / speed, 0.001), the change of
  # an 'R' joint the short way round.
  jq -n --rawfile txt "$dir/$way.txt" --rawfile csv "$dir/$way.csv" --slurpfile json "$dir/$way.json" '
    def lines($text; $sep): $text | split("\n")[1:] | map(select(length > 0) | split($sep) | map(tonumber));
    def law($t; $q; $speed; $types):
      [range(1; $q | length) as $k
       | ([range(0; $q[$k] | length) as $i | ($q[$k][$i] - $q[$k - 1][$i])
           | if $types[$i:$i + 1] == "R" then . - 6.283185307179586 * ((. / 6.283185307179586 + 0.5) | floor) else . end
           | fabs] | max) as $m
       | ($t[$k] - $t[$k - 1]) as $dt
       | $dt > 0 and (($dt - ([$m / $speed, 0.001] | max)) | fabs) < 1e-9 * (1 + $dt)] | all;
    lines($txt; " ") as $rows | lines($csv; ",") as $c | $json[0] as $j
    | ($c | map(.[1:])) == $rows and ($j.rows | map(.q)) == $rows and ($rows | length) > 10
      and $j.joints == ["j1", "j2", "j3", "j4", "j5", "j6", "j7", "j8"] and $j.speed == 1
      and law($c | map(.[0]); $rows; 0.5; $j.JRTYPE) and law($j.rows | map(.t); $rows; 1; $j.JRTYPE)' |
    grep -qx true || fail "$way: CSV or JSON rows or time stamps differ from the text rows"
done

"$run" --robot F31 --urdf "$dir/r.urdf" --scene-urdf "$dir/s.urdf" >/dev/null || fail "URDF export"
grep -q '<robot name="slitpass_F31">' "$dir/r.urdf" && grep -q '"slitpass_scene_F31"' "$dir/s.urdf" || fail "URDF"

# Refused: exit 2 with a message, the existing file untouched, no temporary file left behind.
echo keep >"$dir/keep"
refused() {
  local what=$1; shift
  "$run" "$@" >/dev/null 2>"$dir/err"; local rc=$?
  [ "$rc" = 2 ] || fail "$*: exit $rc, expected 2"
  grep -q -- "$what" "$dir/err" || fail "$*: message: $(cat "$dir/err")"
  [ "$(cat "$dir/keep")" = keep ] || fail "$*: the file was changed"
}
refused "--format must be" --solve --path-out "$dir/keep" --format xml
refused "--speed needs" --solve --path-out "$dir/keep" --format csv --speed -1
refused "--speed needs" --solve --path-out "$dir/keep" --format csv --speed fast
refused "--speed needs" --solve --path-out "$dir/keep" --format csv --speed 0
refused "need --path-out" --solve --format csv
refused "cannot write" --solve --path-out "$dir/keep" --urdf "$dir/none/r.urdf"
refused "cannot write" --scene-urdf "$dir/keep/s.urdf"
[ "$(ls "$dir" | grep -c '\.......$')" = 0 ] || fail "temporary files left: $(ls "$dir")"
echo "export CLI: ok"
