#!/usr/bin/env bash
# Runs Windows hosts under Wine against a native tarn-devserver of its own on
# a free port.
#
#   run_windows_host.sh DEVSERVER WINE-RUN HOST.EXE
#       the host is given the server's address
#   run_windows_host.sh DEVSERVER WINE-RUN --stop HOST.EXE
#       the server never answers, and the host stops its calls (--stop)
#   run_windows_host.sh DEVSERVER WINE-RUN --configured HOST.EXE...
#       as an installer of the platform does, the address is "QAS Address"
#       in the 32-bit view of HKEY_LOCAL_MACHINE; each host (of either width,
#       one after the other in one prefix) must find it there, and all must
#       print the same machine identifier, kept in that view alone
#
# Exits 77 (skipped) when DEVSERVER does not exist, else 0 when every host
# passed.
set -u
devserver=$1
wine_run=$2
shift 2
configured=false
stop=false
case "${1:-}" in
  --configured) configured=true; shift ;;
  --stop) stop=true; shift ;;
esac

if [ ! -x "$devserver" ]; then
  echo "SKIPPED: no native tarn-devserver at $devserver; build the linux preset first"
  exit 77
fi
for host in "$@"; do
  [ -f "$host" ] || { echo "SKIPPED: no $host; build its preset first"; exit 77; }
done

work=$(mktemp -d)
server=""
key='HKLM\Software\Orvane'
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  $configured && "$wine_run" reg delete "$key" /f /reg:32 >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# The server's first line is the address it listens on; a busy machine may
# take a while to start it, so wait for that line rather than for a time.
mkfifo "$work/address"
faults=()
$stop && faults=(--fault hang)
TARN_REGISTRY=$work/registry.db "$devserver" --listen 127.0.0.1:0 "${faults[@]}" >"$work/address" 2>"$work/server.log" &
server=$!
exec {fifo}<"$work/address"
address=""
read -r -t 120 address <&"$fifo"
if [ -z "$address" ]; then
  echo "FAIL: tarn-devserver did not start:"
  cat "$work/server.log"
  exit 1
fi

if $stop; then
  "$wine_run" "$@" --stop "$address"
  exit
fi
if ! $configured; then
  "$wine_run" "$@" "$address"
  exit
fi

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The prefix's registry outlives every run: each view starts without the
# library's keys, so the first host makes the machine identifier.
for view in 32 64; do
  "$wine_run" reg delete "$key" /f /reg:$view >/dev/null 2>&1
done
"$wine_run" reg add "$key\\Tarn\\Config" /v "QAS Address" /d "$address" /f /reg:32 >/dev/null ||
  { echo "FAIL: cannot write QAS Address"; exit 1; }

ids=()
for host in "$@"; do
  echo "--- $(basename "$host") --configured $address"
  "$wine_run" "$host" --configured "$address" | tr -d '\r' | tee "$work/host.out"
  [ "${PIPESTATUS[0]}" -eq 0 ] || fail "$host"
  ids+=("$(sed -n 's/^machine id //p' "$work/host.out")")
done
echo "--- the registry's views"
[[ "${ids[0]}" == "{"* ]] || fail "no machine identifier"
for id in "${ids[@]}"; do
  [ "$id" = "${ids[0]}" ] || fail "machine identifiers differ: ${ids[*]}"
done
"$wine_run" reg query "$key\\Tarn\\Config" /v "Machine ID" /reg:32 2>&1 | grep -qF -- "${ids[0]}" ||
  fail "the 32-bit view lacks Machine ID ${ids[0]}"
"$wine_run" reg query "$key" /reg:64 >/dev/null 2>&1 && fail "the library wrote into the 64-bit view"
echo "$# hosts, machine id ${ids[0]}, $failures failed"
[ "$failures" -eq 0 ]
