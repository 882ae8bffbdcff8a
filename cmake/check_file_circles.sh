#!/usr/bin/env bash
# Fails when two files of src/ reach each other: a file "reaches" another when it includes its
# header or calls a function defined in it, directly or through other files. A header and the
# .cpp of the same name count as one file. So the calculations read as a stack inside each
# folder as well as across them: what a file uses never uses it back.
# Usage: check_file_circles.sh NM SRC_DIR LIBRARY...   (the static libraries of the layers)
set -euo pipefail
nm=$1 src=$2
shift 2
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT
# Include edges: src/L/a.{h,cpp} -> L2/b for every #include "L2/b.h" of a file that exists.
for f in "$src"/*/*.h "$src"/*/*.cpp; do
  from=${f#"$src"/}
  from=${from%.*}
  sed -n 's/^#include "\([a-z_]*\/[a-z0-9_]*\)\.h".*/\1/p' "$f" | while read -r to; do
    if [ -f "$src/$to.h" ] && [ "$to" != "$from" ]; then echo "$from $to"; fi
  done
done >"$edges"
# Call edges: the object of L/a.cpp -> the object that defines a symbol it needs.
declare -A owner
for lib in "$@"; do
  layer=$(basename "$lib" .a)
  layer=${layer##*_}
  while read -r obj sym; do
    owner[$sym]="$layer/${obj%.cpp.o}"
  done < <("$nm" -A -g --defined-only "$lib" 2>/dev/null | awk 'NF == 3 && $2 ~ /^[TDBRW]$/ { f = $1; sub(/:[^:]*$/, "", f); n = split(f, p, ":"); print p[n], $3 }')
done
for lib in "$@"; do
  layer=$(basename "$lib" .a)
  layer=${layer##*_}
  while read -r obj sym; do
    to=${owner[$sym]:-}
    from="$layer/${obj%.cpp.o}"
    if [ -n "$to" ] && [ "$to" != "$from" ]; then echo "$from $to"; fi
  done < <("$nm" -A -u "$lib" 2>/dev/null | awk '{ f = $1; sub(/:[^:]*$/, "", f); n = split(f, p, ":"); print p[n], $NF }')
done >>"$edges"
[ -s "$edges" ] || { echo "no dependencies found under $src" >&2; exit 1; }
# Reachability by repeated squaring of the edge set, then every pair that reaches both ways.
sort -u "$edges" | awk '
  { if (!($1 in id)) { id[$1] = n; name[n++] = $1 } if (!($2 in id)) { id[$2] = n; name[n++] = $2 } r[id[$1], id[$2]] = 1 }
  END {
    for (k = 0; k < n; k++) for (i = 0; i < n; i++) if ((i, k) in r) for (j = 0; j < n; j++) if ((k, j) in r) r[i, j] = 1
    bad = 0
    for (i = 0; i < n; i++) for (j = i + 1; j < n; j++)
      if (((i, j) in r) && ((j, i) in r)) { print "circle: " name[i] " <-> " name[j] > "/dev/stderr"; bad = 1 }
    if (!bad) print "file circles: " n " files, none reach each other"
    exit bad
  }'
