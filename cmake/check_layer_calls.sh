#!/usr/bin/env bash
# Fails when a layer calls up: a symbol a layer's library needs but defines elsewhere must be
# defined in a layer below it, never above (the include roots of the build already stop upward
# #includes; this catches a call through a declaration written by hand).
# Usage: check_layer_calls.sh NM LIBRARY...   (the static libraries of the layers, lowest first)
set -euo pipefail
nm=$1
shift
libs=("$@")
declare -A owner
for i in "${!libs[@]}"; do
  while read -r sym; do
    owner[$sym]=$i
  done < <("$nm" -g --defined-only "${libs[$i]}" | awk 'NF == 3 && $2 ~ /^[TDBR]$/ { print $3 }')
done
[ ${#owner[@]} -gt 0 ] || { echo "no symbols found in ${libs[*]}" >&2; exit 1; }
status=0
for i in "${!libs[@]}"; do
  while read -r file sym; do
    o=${owner[$sym]:-}
    if [ -n "$o" ] && [ "$o" -gt "$i" ]; then
      echo "upward call: $file uses $(echo "$sym" | c++filt) from $(basename "${libs[$o]}")" >&2
      status=1
    fi
  done < <("$nm" -A -u "${libs[$i]}" | awk '{ f = $1; sub(/:$/, "", f); n = split(f, p, ":"); print p[n], $NF }')
done
[ $status -eq 0 ] && echo "layer calls: ${#libs[@]} libraries, ${#owner[@]} symbols, no upward call"
exit $status
