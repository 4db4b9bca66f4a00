#!/usr/bin/env bash
# check_hardening.sh elf [--fortified] FILE...
# check_hardening.sh pe OBJDUMP [--high-entropy] FILE...
#
# Fails unless every built file carries the hardening the build asks for.
#   elf: full RELRO (a GNU_RELRO segment, bound now), executables are PIE,
#        stack canaries in use, fortified calls where --fortified (in some
#        file: a file may have no call the compiler can check), and no
#        empty or relative element in the run-time path (the loader would
#        search the current folder).
#   pe:  ASLR (DYNAMIC_BASE, with the relocations it needs), NX (NX_COMPAT),
#        and HIGH_ENTROPY_VA where --high-entropy.
set -uo pipefail
format=$1
shift
objdump=""
if [ "$format" = pe ]; then
  objdump=$1
  shift
fi
fortified=0
high_entropy=0
case ${1:-} in
  --fortified) fortified=1; shift ;;
  --high-entropy) high_entropy=1; shift ;;
esac

status=0
fortified_calls=0
fail() {
  echo "FAIL $file: $*"
  status=1
}

check_elf() {
  local dynamic headers symbols runpath element
  dynamic=$(readelf -d "$file")
  headers=$(readelf -lW "$file")
  symbols=$(readelf --dyn-syms -W "$file")
  grep -q GNU_RELRO <<<"$headers" || fail "no RELRO segment"
  grep -Eq '\(BIND_NOW\)|Flags:.* NOW' <<<"$dynamic" || fail "not bound at start (-z now)"
  if [ "$(readelf -h "$file" | awk '/Type:/ {print $2}')" != DYN ]; then
    fail "not position-independent"
  elif grep -q 'Requesting program interpreter' <<<"$headers" && ! grep -Eq 'Flags:.* PIE' <<<"$dynamic"; then
    fail "an executable that is not PIE"
  fi
  grep -q ' __stack_chk_fail' <<<"$symbols" || fail "no stack protector"
  grep -v __stack_chk_fail <<<"$symbols" | grep -Eq ' __[a-z_]+_chk(@| |$)' && fortified_calls=1
  runpath=$(sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]$/\2/p' <<<"$dynamic")
  if grep -q '(RUNPATH)\|(RPATH)' <<<"$dynamic"; then
    IFS=: read -r -a elements <<<"$runpath"
    # A trailing colon leaves read -a nothing to show: count the separators too.
    [ "${#elements[@]}" -eq "$(( $(tr -cd : <<<"$runpath" | wc -c) + 1 ))" ] || fail "empty run-path element in [$runpath]"
    for element in "${elements[@]}"; do
      case $element in
        /* | '$ORIGIN' | '$ORIGIN/'*) ;;
        *) fail "empty or relative run-path element \"$element\" in [$runpath]" ;;
      esac
    done
  fi
}

check_pe() {
  local headers
  headers=$("$objdump" -p "$file")
  grep -q 'DYNAMIC_BASE' <<<"$headers" || fail "no ASLR (DYNAMIC_BASE)"
  grep -q 'NX_COMPAT' <<<"$headers" || fail "no NX (NX_COMPAT)"
  if [ $high_entropy -eq 1 ]; then
    grep -q 'HIGH_ENTROPY_VA' <<<"$headers" || fail "no high-entropy ASLR (HIGH_ENTROPY_VA)"
  fi
  "$objdump" -h "$file" | grep -q ' \.reloc ' || fail "no relocations, so ASLR cannot move it"
}

for file in "$@"; do
  before=$status
  status=0
  if [ -f "$file" ]; then
    "check_$format"
  else
    fail "missing"
  fi
  [ $status -eq 0 ] && echo "ok $file"
  status=$((status | before))
done
if [ "$format" = elf ] && [ $fortified -eq 1 ] && [ $fortified_calls -eq 0 ]; then
  echo "FAIL: no fortified call in any file (-D_FORTIFY_SOURCE=2)"
  status=1
fi
exit $status
