#!/usr/bin/env bash
# Runs a Windows host under Wine against a native tarn-devserver of its own
# on a free port, so nothing depends on the registry's server location.
#
#   run_windows_host.sh DEVSERVER WINE-RUN HOST.EXE
#
# Exits 77 (skipped) when DEVSERVER does not exist, else with the host's code.
set -u
devserver=$1
shift

if [ ! -x "$devserver" ]; then
  echo "SKIPPED: no native tarn-devserver at $devserver; build the linux preset first"
  exit 77
fi

work=$(mktemp -d)
server=""
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The server's first line is the address it listens on; a busy machine may
# take a while to start it, so wait for that line rather than for a time.
mkfifo "$work/address"
TARN_REGISTRY=$work/registry.db "$devserver" --listen 127.0.0.1:0 >"$work/address" 2>"$work/server.log" &
server=$!
exec {fifo}<"$work/address"
address=""
read -r -t 120 address <&"$fifo"
if [ -z "$address" ]; then
  echo "FAIL: tarn-devserver did not start:"
  cat "$work/server.log"
  exit 1
fi

"$@" "$address"
