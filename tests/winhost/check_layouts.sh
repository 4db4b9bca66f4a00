#!/usr/bin/env bash
# The tables the public header gives each compiler for one Windows width, as
# clang lays them out: the Microsoft ABI (Visual Studio, clang-cl), clang for
# MinGW (the Itanium ABI on Windows, as MinGW g++) and Linux. For every
# interface, and for a host's callback derived from the header's base:
#   - Microsoft and MinGW agree entry by entry;
#   - entry 3 is the const QueryInterface and entry 6 the one destructor entry;
#   - Linux has the same entries with its two destructor entries at 6 and 7.
# On x86, for both Windows compilers, even with __stdcall as the default (as
# Visual Studio's /Gz or clang's -mrtd make it): every operation, called or
# overridden, is __thiscall and the exports are __cdecl.
#
#   check_layouts.sh CLANG++ INCLUDE-DIR x64|x86
set -u
clang=$1
include=$2
width=$3
case $width in
  x64) cpu=x86_64 ;;
  x86) cpu=i686 ;;
  *) echo "unknown width $width" >&2; exit 2 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Calling one operation of an interface makes clang lay out its table.
cat >"$work/probe.cpp" <<'CPP'
#include <tarnclient/TarnClient.h>
using namespace tarnclient;
struct Display : DisplayCallback {
    int32 PromptLogin(LoginPrompt*) override { return 0; }
    int32 ReportError(int32, int32) override { return 0; }
};
void Probe(IServerLocation* a, IServerAddress* b, IServerAddressList* c, IAddressManager* d, IMachineIdentity* e,
           ICustomerAccount* f, ICustomerManager* g, IComponentFactory* h, ICoreFactory* i) {
    Display display;
    a->GetPort(); b->GetUc(); c->Next(nullptr); d->GetServerAddress(nullptr, nullptr, nullptr, nullptr);
    e->GetMachineId(); f->Reserved4(0, 0, 0); g->GetTicket(nullptr, nullptr, nullptr, nullptr, 0, &display, nullptr);
    h->CreateCustomerManager(0, nullptr, nullptr); i->GetConfiguration(0, nullptr, nullptr);
    TarnClientLib_MemFree(TarnClientLib_MemAlloc(sizeof(LoginPrompt)));
    TarnClientLib_GetComponentFactory();
}
CPP

# One line per class: "Class name name ...", a destructor entry as "~".
layout() { # target
  "$clang" --target="$1" -fno-rtti -ffreestanding -nostdinc -I"$include" -c -o "$work/probe.o" "$work/probe.cpp" \
    -Xclang -fdump-vtable-layouts 2>&1 |
  awk '
    /^(VFTable|Vtable) for / { n = split($0, q, "\047"); cls = q[n - 1]; take = ($0 !~ /indices/); next }
    /^ *[0-9]+ \| / && take && $0 !~ /offset_to_top|RTTI|vbase_offset|vcall_offset/ {
      sig = substr($0, index($0, "| ") + 2); sub(/\(.*/, "", sig); m = split(sig, part, "::"); name = part[m]
      if (name ~ /^~/) name = "~"
      seen[cls] = seen[cls] " " name; next }
    /^$/ { take = 0 }
    END { for (c in seen) print c seen[c] }' | sort -u
}

layout $cpu-pc-windows-msvc >"$work/msvc"
layout $cpu-w64-mingw32 >"$work/mingw"
layout x86_64-linux-gnu >"$work/linux"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The calling conventions, from the code clang makes of the probe.
if [ $width = x86 ]; then
  for target in $cpu-pc-windows-msvc $cpu-w64-mingw32; do
    "$clang" --target=$target -fno-rtti -fno-exceptions -ffreestanding -nostdinc -I"$include" \
      -Xclang -fdefault-calling-conv=stdcall -S -emit-llvm -o "$work/probe.ll" "$work/probe.cpp" ||
      { fail "$target: the probe does not compile"; continue; }
    # Virtual calls (through a loaded pointer) and members the host defines
    # (?Name@Class@@... or _ZN...: not the probe itself).
    members=$(grep -E '^define .*(@"\?[^@]+@[^@]|@_ZN)|call .* %[0-9]+\(' "$work/probe.ll")
    [ "$(grep -c . <<<"$members")" -ge 20 ] || fail "$target: too few operations found"
    grep -v x86_thiscallcc <<<"$members" | sed "s/^/FAIL: $target: not __thiscall: /" | grep . && fail "$target"
    exports=$(grep -E '^declare .*TarnClientLib_' "$work/probe.ll")
    [ "$(grep -c . <<<"$exports")" -eq 3 ] || fail "$target: expected 3 exports, got: $exports"
    grep 'x86_' <<<"$exports" | sed "s/^/FAIL: $target: not __cdecl: /" | grep . && fail "$target"
  done
fi
classes=$(cut -d' ' -f1 "$work/msvc")
# the root, ten interfaces, the base and a callback derived from it
[ "$(echo "$classes" | wc -l)" -eq 13 ] || fail "expected 13 tables, got: $classes"
for cls in $classes; do
  read -r -a ms <<<"$(grep "^$cls " "$work/msvc" | cut -d' ' -f2-)"
  mingw=$(grep "^$cls " "$work/mingw" | cut -d' ' -f2-)
  linux=$(grep "^$cls " "$work/linux" | cut -d' ' -f2-)
  [ "${ms[3]}" = QueryInterfaceConst ] || fail "$cls: entry 3 is ${ms[3]}"
  [ "${ms[6]}" = DeletingDestructor ] || fail "$cls: entry 6 is ${ms[6]}"
  [ "$mingw" = "${ms[*]}" ] || fail "$cls: MinGW has $mingw, Microsoft ${ms[*]}"
  expected="${ms[*]:0:6} ~ ~ ${ms[*]:7}"
  [ "$linux" = "${expected% }" ] || fail "$cls: Linux has $linux, expected $expected"
done
echo "$(echo "$classes" | wc -w) tables checked, $failures failed"
[ "$failures" -eq 0 ]
