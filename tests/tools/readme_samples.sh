#!/usr/bin/env bash
# The programs the READMEs show are the files of samples/, which the package
# tests build and run from the installed packages: every C, C++, C# and
# Python block of each README must be one of those files, byte for byte.
#
#   readme_samples.sh SAMPLES_DIR README...
set -euo pipefail
samples=$1
shift

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
for readme in "$@"; do
  rm -f "$work"/block.*
  awk -v out="$work/block" '
    /^```(c|cpp|csharp|python)$/ { n++; file = out "." n; printf "" > file; inside = 1; next }
    /^```/ && inside { inside = 0; close(file); next }
    inside { print > file }
  ' "$readme"
  for block in "$work"/block.*; do
    [ -e "$block" ] || continue
    found=""
    for sample in "$samples"/*; do
      cmp -s "$block" "$sample" && found=$sample && break
    done
    if [ -z "$found" ]; then
      echo "FAIL: $readme shows a program that is no file of $samples:"
      head -n 3 "$block"
      failures=$((failures + 1))
    fi
  done
done
[ "$failures" -eq 0 ] && echo "readme_samples: ok"
exit $((failures > 0))
