#!/usr/bin/env bash
# Runs a host program against a tarn-devserver of its own on a free port,
# with a registry of its own, so that nothing depends on the registry's
# server location or on another test's state. The host finds the server's
# HOST:PORT in TARN_TEST_SERVER (Wine passes it on to Windows programs).
#
#   with_devserver.sh DEVSERVER [SERVER-OPTION...] -- COMMAND...
#
# Exits 77 (skipped) when DEVSERVER does not exist, else with COMMAND's status.
set -u
devserver=$1
shift
options=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  options+=("$1")
  shift
done
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
"$devserver" --listen 127.0.0.1:0 "${options[@]}" >"$work/address" 2>"$work/server.log" &
server=$!
exec {fifo}<"$work/address"
address=""
read -r -t 120 address <&"$fifo"
if [ -z "$address" ]; then
  echo "FAIL: tarn-devserver did not start:"
  cat "$work/server.log"
  exit 1
fi

export TARN_TEST_SERVER=$address
export TARN_REGISTRY=$work/registry.db
"$@"
