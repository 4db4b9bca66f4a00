#!/usr/bin/env bash
# check_exports.sh dll|so LIBRARY: fails unless LIBRARY exports exactly
# TarnClientLib_GetComponentFactory, TarnClientLib_MemAlloc and
# TarnClientLib_MemFree (for a DLL: by name, ordinals 1, 2, 3 in that order).
set -euo pipefail
kind=$1 library=$2
expected=$'1 TarnClientLib_GetComponentFactory\n2 TarnClientLib_MemAlloc\n3 TarnClientLib_MemFree'

if [ "$kind" = dll ]; then
  dump=$(x86_64-w64-mingw32-objdump -p "$library")
  base=$(sed -n 's/^Ordinal Base[[:space:]]*\([0-9]*\).*/\1/p' <<<"$dump")
  # "[   0] +base[   1] Name" or "[   0] Name" depending on binutils; take index and name.
  actual=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" |
           sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9]*\)\].* \([A-Za-z_][A-Za-z0-9_]*\)$/\1 \2/p' |
           awk -v base="$base" '{ print $1 + base, $2 }')
else
  actual=$(nm -D --defined-only "$library" | awk '$2 ~ /^[TtWw]$/ { print $3 }' | sort |
           awk '{ n++; print n, $1 }')
fi

if [ "$actual" != "$expected" ]; then
  echo "unexpected exports of $library:"
  echo "$actual"
  exit 1
fi
echo "exports of $(basename "$library") are exactly the three entry points"
