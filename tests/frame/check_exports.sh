#!/usr/bin/env bash
# check_exports.sh dll|so LIBRARY DEF: fails unless LIBRARY exports exactly
# the functions DEF lists: a DLL by name at DEF's ordinals, a shared object
# by name.
set -euo pipefail
kind=$1 library=$2 def=$3
# "    Name @N" lines of the .def, as "N Name", by ordinal.
listed=$(sed -n 's/^[[:space:]]*\([A-Za-z_][A-Za-z0-9_]*\)[[:space:]]*@\([0-9]*\).*/\2 \1/p' "$def" | sort -n)

if [ "$kind" = dll ]; then
  expected=$listed
  dump=$(objdump -p "$library")
  base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9]*\).*/\1/p' <<<"$dump")
  # "[   0] +base[   1] Name" or "[   0] Name" depending on binutils; take index and name.
  actual=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
           sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9]*\)\].* \([A-Za-z_][A-Za-z0-9_]*\)$/\1 \2/p' |
           awk -v base="$base" '{ print $1 + base, $2 }' | sort -n)
else
  expected=$(awk '{ print $2 }' <<<"$listed" | sort)
  actual=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TtWw]$/ { print $3 }' | sort)
fi

if [ "$actual" != "$expected" ]; then
  echo "exports of $library differ from $def:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "exports of $(basename "$library") are exactly the $(wc -l <<<"$expected") listed in $(basename "$def")"
