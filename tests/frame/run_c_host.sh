#!/usr/bin/env bash
# Runs a C host twice, each time against a tarn-devserver of its own on a
# free port: one that answers (built-in data) and one that never answers.
# The host is a command, natively the program, under Wine scripts/wine-run
# and the program; it gets "services HOST:PORT" or "hang HOST:PORT".
#
#   run_c_host.sh DEVSERVER HOST-COMMAND...
#
# Exits 77 (skipped) when DEVSERVER does not exist, else 0 when both runs pass.
set -u
devserver=$1
shift

if [ ! -x "$devserver" ]; then
  echo "SKIPPED: no native tarn-devserver at $devserver; build the linux preset first"
  exit 77
fi

work=$(mktemp -d)
export TARN_REGISTRY=$work/registry.db
servers=()
cleanup() {
  for pid in "${servers[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

# Starts a server with the given options; sets $address from its first line.
start_server() {
  local name=$1
  shift
  mkfifo "$work/$name"
  "$devserver" --listen 127.0.0.1:0 "$@" >"$work/$name" 2>"$work/$name.log" &
  servers+=($!)
  exec {fifo}<"$work/$name"
  address=""
  read -r -t 120 address <&"$fifo"
  if [ -z "$address" ]; then
    echo "FAIL: tarn-devserver $* did not start:"
    cat "$work/$name.log"
    exit 1
  fi
}

status=0
start_server services
"$@" services "$address" || status=1
start_server hang --fault hang
"$@" hang "$address" || status=1
exit $status
