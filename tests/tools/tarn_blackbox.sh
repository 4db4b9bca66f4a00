#!/usr/bin/env bash
# tarn against tarn-devserver as a black box: every command, every application
# status the server can produce, the fault modes as a host sees them, and the
# rule that a failure is one line on stderr and a non-zero exit.
#
#   tarn_blackbox.sh native DEVSERVER TARN
#   tarn_blackbox.sh wine   DEVSERVER WINE-RUN TARN.EXE
#
# Exits 77 (skipped) when DEVSERVER does not exist.
set -u
mode=$1
devserver=$2
shift 2
tarn=("$@")

if [ ! -x "$devserver" ]; then
  echo "SKIPPED: no native tarn-devserver at $devserver; build the linux preset first"
  exit 77
fi

work=$(mktemp -d)
export TARN_REGISTRY=$work/registry.db
server_pids=()
cleanup() {
  for pid in "${server_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

failures=0
checks=0
current=""

fail() {
  failures=$((failures + 1))
  echo "FAIL [$current]: $*"
  echo "  exit: $rc"
  echo "  stdout: $(printf '%s' "$out" | head -20)"
  echo "  stderr: $(printf '%s' "$err" | head -20)"
}

# Starts a server with the given arguments; sets $address to its HOST:PORT.
start_server() {
  local name=$1
  shift
  mkfifo "$work/$name.fifo"
  "$devserver" --listen 127.0.0.1:0 "$@" >"$work/$name.fifo" 2>"$work/$name.log" &
  server_pids+=($!)
  exec {fifo_fd}<"$work/$name.fifo"
  address=""
  read -r -t 30 address <&"$fifo_fd"
  if [ -z "$address" ]; then
    echo "FAIL: tarn-devserver $* did not start:"
    cat "$work/$name.log"
    exit 1
  fi
}

# tarn INPUT ARGS...: runs tarn with INPUT on stdin; sets rc, out, err.
tarn_with() {
  local input=$1
  shift
  printf '%b' "$input" >"$work/stdin"
  "${tarn[@]}" "$@" <"$work/stdin" >"$work/stdout" 2>"$work/stderr"
  rc=$?
  out=$(tr -d '\r' <"$work/stdout")
  err=$(tr -d '\r' <"$work/stderr")
}
run() { tarn_with "" "$@"; }

check() { # name
  current=$1
  checks=$((checks + 1))
}
expect_ok() { [ "$rc" -eq 0 ] || fail "expected exit 0"; }
expect_status() { [ "$rc" -eq "$1" ] || fail "expected exit $1"; }
# stdout is one JSON document; prints the value of the Python expression $1
# over it (as "doc"), or FAIL.
json_value() {
  printf '%s' "$out" | python3 -c 'import json,sys; doc=json.load(sys.stdin); print(eval(sys.argv[1]))' "$1" 2>/dev/null ||
    echo "<not JSON>"
}
expect_json() { # expression expected
  local got
  got=$(json_value "$1")
  [ "$got" == "$2" ] || fail "JSON $1 is $got, expected $2"
}
expect_fail() {
  [ "$rc" -ne 0 ] || fail "expected a non-zero exit"
}
# A failure says what went wrong in exactly one line on stderr.
expect_failure_line() { # text
  expect_fail
  [ "$(printf '%s\n' "$err" | grep -c '^tarn: ')" -eq 1 ] || fail "expected one 'tarn:' line on stderr"
  printf '%s\n' "$err" | tail -n 1 | grep -qF -- "$1" || fail "last stderr line lacks: $1"
}
expect_only_failure_line() { # text
  expect_failure_line "$1"
  [ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || fail "expected nothing else on stderr"
}
expect_out() { # exact stdout
  [ "$out" == "$1" ] || fail "stdout differs from:
$1"
}
expect_out_has() { printf '%s\n' "$out" | grep -qF -- "$1" || fail "stdout lacks: $1"; }
expect_err_has() { printf '%s\n' "$err" | grep -qF -- "$1" || fail "stderr lacks: $1"; }
expect_err_lacks() { ! printf '%s\n' "$err" | grep -qF -- "$1" || fail "stderr shows: $1"; }

if [ "$mode" = wine ]; then
  # Wine's registry outlives every run in the prefix; tarn.exe starts from
  # none (the library's machine keys are in the 32-bit view).
  "${tarn[0]}" reg delete 'HKLM\Software\Orvane' /f /reg:32 >/dev/null 2>&1
  "${tarn[0]}" reg delete 'HKCU\Software\Orvane' /f >/dev/null 2>&1
fi

start_server main
main=$address

# --- usage -----------------------------------------------------------------
for command in "" servers server ticket machine-id config; do
  check "help $command"
  run $command --help
  expect_ok
  expect_out_has "Usage:"
done

for tool in tarn devserver; do
  check "$tool --version"
  if [ $tool = tarn ]; then run --version; else out=$("$devserver" --version); rc=$?; fi
  expect_ok
  [[ "$out" =~ ^(tarn|tarn-devserver)\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "expected NAME and a version"
done

# Usage errors: one plain line and exit 2, before any request.
for args in "" "frobnicate" "--server $main servers TARNQUEST" "--server 127.0.0.1:99999 config" \
            "--server 127.0.0.1:0 config" "--server nocolon config" "--server 1.2.3.456:80 config" \
            "--server $main ticket TARNQUEST launch --attempts 0" "--server $main ticket TARNQUEST launch --attempts x"; do
  check "usage: tarn $args"
  run $args
  expect_status 2
  expect_only_failure_line "(tarn --help shows the usage)"
done
check "usage: an unknown command is named"
run frobnicate
expect_err_has 'unknown command "frobnicate"'
check "usage: --attempts names its range"
run ticket TARNQUEST launch --attempts 0
expect_err_has "from 1 to 100"

check "global options after the command"
run config --server "$main" --json
expect_ok
expect_json 'doc["address"], doc["host"], doc["port"]' "('$main', '127.0.0.1', ${main##*:})"

# --- config ----------------------------------------------------------------
check "config from --server"
run --server "$main" config
expect_ok
expect_out "address  $main
host     127.0.0.1
port     ${main##*:}"

check "config without any location"
run config
expect_status 4
expect_only_failure_line "\"QAS Address\""

if [ "$mode" = native ]; then
  # The server registers itself in the Linux registry, TARN_REGISTRY's database.
  start_server registered --register
  check "config from the registry value the server registered"
  run config
  expect_ok
  expect_out_has "address  $address"
  expect_out_has "from     the registry file $TARN_REGISTRY"
  check "servers through the registered location"
  run servers TARNRACE game
  expect_ok
  expect_out_has "track1"
fi

# --- servers and server ----------------------------------------------------
check "servers: every server of the category"
run --server "$main" servers TARNQUEST game
expect_ok
expect_out "NAME   ADDRESS         HOST       PORT  UC
alpha  127.0.0.1:7001  127.0.0.1  7001  12
beta   127.0.0.1:7002  127.0.0.1  7002  40
gamma  127.0.0.1:7003  127.0.0.1  7003  7
3 servers"

check "servers: att1 filters"
run --server "$main" servers TARNQUEST game any --att1 eu
expect_ok
expect_out_has "alpha"
expect_out_has "gamma"
expect_out_has "2 servers"

check "servers: one name"
run --server "$main" servers tarnquest game beta
expect_ok
expect_out_has "1 server"
expect_out_has "beta  127.0.0.1:7002"

check "servers: nothing matches"
run --server "$main" servers NOPRODUCT game
expect_status 1
expect_out "NAME  ADDRESS  HOST  PORT  UC
0 servers"
expect_only_failure_line "no server found"

check "servers --json"
run --server "$main" servers TARNQUEST game any --att1 eu --json
expect_ok
expect_json '[(s["name"], s["address"], s["host"], s["port"], s["uc"]) for s in doc["servers"]]' \
  "[('alpha', '127.0.0.1:7001', '127.0.0.1', 7001, 12), ('gamma', '127.0.0.1:7003', '127.0.0.1', 7003, 7)]"
check "servers --json: nothing matches"
run --server "$main" servers NOPRODUCT game --json
expect_status 1
expect_json 'doc["servers"]' "[]"

check "server --json"
run --server "$main" server TARNQUEST game beta --json
expect_ok
expect_json 'doc["name"], doc["port"]' "('beta', 7002)"

check "server: the first one"
run --server "$main" server TARNQUEST game
expect_ok
expect_out "NAME   ADDRESS         HOST       PORT  UC
alpha  127.0.0.1:7001  127.0.0.1  7001  12"

check "server: att1"
run --server "$main" server TARNQUEST game --att1 us
expect_ok
expect_out_has "beta"

check "server: none found"
run --server "$main" server NOPRODUCT game
expect_status 1
expect_only_failure_line "no server found"

check "server: the name all is refused by the library"
run --server "$main" server TARNQUEST game all
expect_status 2
expect_only_failure_line 'GetServerAddress does not take the server name "all"'

# --- tickets: the context route ---------------------------------------------
check "ticket from a context id"
run --server "$main" ticket TARNQUEST launch --context-id ctx-alice-1
expect_ok
[[ "$out" =~ ^ticket\ [0-9A-F]{32}$ ]] || fail "expected 'ticket' and 32 hex digits"
check "ticket --json"
run --server "$main" ticket TARNQUEST launch --context-id ctx-alice-1 --json
expect_ok
[[ "$(json_value 'doc["ticket"]')" =~ ^[0-9A-F]{32}$ ]] || fail "expected a ticket of 32 hex digits"

for case in "NOPRODUCT launch ctx-alice-1 2001" "TARNQUEST nosuchevent ctx-alice-1 2002" \
            "TARNQUEST beta-test ctx-alice-1 2007" "TARNQUEST launch ctx-expired 2009" \
            "TARNQUEST launch ctx-unknown 2009"; do
  set -- $case
  check "context $3 for $1 $2 gives $4"
  run --server "$main" ticket "$1" "$2" --context-id "$3"
  expect_status 3
  expect_only_failure_line "error $4:"
done

# --- tickets: the login route -----------------------------------------------
check "login"
tarn_with 'alice\nwonderland1\n' --server "$main" ticket TARNQUEST launch --language en
expect_ok
[[ "$out" =~ ^ticket\ [0-9A-F]{32}$ ]] || fail "expected 'ticket' and 32 hex digits"
expect_err_has "Public name"
expect_err_has "Password"
expect_err_lacks "wonderland1"

if [ "$mode" = native ]; then
  # Neither the password (typed, then remembered) nor the ticket reaches the trace.
  check "login: the trace holds no secret"
  TARN_TRACE=$work/login.trace tarn_with 'alice\nwonderland1\n' --server "$main" ticket TARNQUEST launch
  expect_ok
  TARN_TRACE=$work/login.trace tarn_with '\n\n' --server "$main" ticket TARNQUEST launch
  expect_ok
  second=${out#ticket }
  TARN_TRACE=$work/login.trace tarn_with 'alice\nwonderland1\n' --server "$main" ticket TARNQUEST launch --json
  expect_ok
  [ -s "$work/login.trace" ] || fail "expected a trace"
  for secret in wonderland1 "$second" "$(json_value 'doc["ticket"]')"; do
    ! grep -qF -- "$secret" "$work/login.trace" "$work/main.log" || fail "the trace or the server log shows: $secret"
  done

  # Secrets are masked where they are written, not by searching the text: a
  # password that is also a word of the trace reveals nothing.
  check "login: a password that is a word of the trace changes nothing in it"
  TARN_TRACE=$work/word.trace tarn_with 'alice\nConnect\n' --server "$main" ticket TARNQUEST launch --attempts 1
  expect_status 3
  grep -qF 'CHttp::Connect host:' "$work/word.trace" || fail "the trace lost its connect line"
  ! grep -qF '***' "$work/word.trace" || fail "the trace masks something"
fi

check "login: a wrong password, then the right one"
tarn_with 'alice\nnotmypassword\nalice\nwonderland1\n' --server "$main" ticket TARNQUEST launch
expect_ok
expect_err_has "login refused: error 2006: the password is wrong"
[ "$(printf '%s\n' "$err" | grep -c 'Public name')" -eq 2 ] || fail "expected the prompt twice"

# The correctable errors bring the prompt back; at the end of the input the
# login gives up and names the last error.
for case in "ab secret1 2003" "alice x! 2004" "nobody secret1 2005" "bob wrongpass1 2006"; do
  set -- $case
  check "login $1 gives $3"
  tarn_with "$1\n$2\n" --server "$main" ticket TARNQUEST launch
  expect_status 3
  expect_failure_line "login cancelled: no more input (last: error $3:"
done

# The other errors end the request at once.
for case in "NOPRODUCT launch 2001" "TARNQUEST nosuchevent 2002" "TARNQUEST beta-test 2007" \
            "TARNQUEST finals 2008"; do
  set -- $case
  check "login to $1 $2 gives $3"
  tarn_with 'bob\nbuilder42\n' --server "$main" ticket "$1" "$2"
  expect_failure_line "the server refused it, error $3:"
  [ "$(printf '%s\n' "$err" | grep -c 'Public name')" -eq 1 ] || fail "expected one prompt"
done

check "login: attempts run out"
tarn_with 'bob\nbad1pass\nbob\nbad2pass\nbob\nbad3pass\n' --server "$main" ticket TARNQUEST launch --attempts 2
expect_failure_line "no ticket after 2 login attempts (last: error 2006:"

if [ "$mode" = native ]; then
  # With an empty registry there is no remembered name to propose, so an
  # empty name reaches the library, which reports 2003 without a request.
  check "login: an empty public name"
  TARN_REGISTRY=$work/empty.db tarn_with '\nsecret1\n' --server "$main" ticket TARNQUEST launch --attempts 1
  expect_failure_line "(last: error 2003:"

  check "login: the remembered name is proposed"
  tarn_with '\nwonderland1\n' --server "$main" ticket TARNQUEST launch
  expect_ok
  expect_err_has "Public name [alice]:"
fi

# --- machine id --------------------------------------------------------------
check "machine-id"
run machine-id
expect_ok
[[ "$out" =~ ^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$ ]] || fail "expected a braced GUID"
first_id=$out
check "machine-id is stable"
run machine-id --json
expect_json 'doc["machineId"]' "$first_id"

# --- an unavailable service ----------------------------------------------------
start_server unavailable --unavailable
check "unavailable: ticket"
run --server "$address" ticket TARNQUEST launch --context-id ctx-alice-1
expect_status 3
expect_only_failure_line "error 9001: the service is unavailable"
check "unavailable: servers"
run --server "$address" servers TARNQUEST game
expect_status 3
expect_only_failure_line "server lookup failed (product TARNQUEST, category game, name any): server status 9001"

# --- faults a host must survive --------------------------------------------------
start_server faulty --fault /addrsrv=http:503 --fault /getTicket=close
check "fault: HTTP 503 on a lookup"
run --server "$address" servers TARNQUEST game
expect_status 3
expect_only_failure_line "): HTTP 503 from 127.0.0.1:${address##*:} for POST /addrsrv"
check "fault: connection closed without a reply"
run --server "$address" ticket TARNQUEST launch --context-id ctx-alice-1
expect_status 4
expect_only_failure_line "the request failed, code -1 (failure): "

start_server lists --fault /addrsrv=malformed-list
check "fault: malformed server list"
run --server "$address" servers TARNQUEST game
expect_status 4
expect_only_failure_line "): unreadable reply"

start_server partial --fault /addrsrv=incomplete-list --fault /getTicket=unavailable
check "fault: incomplete server list"
run --server "$address" server TARNQUEST game
expect_status 4
expect_only_failure_line "): unreadable"
check "fault: 9001 on one path only"
run --server "$address" ticket TARNQUEST launch --context-id ctx-alice-1
expect_only_failure_line "error 9001"

start_server silent --fault hang
check "timeout: a server that never answers"
run --server "$address" --timeout 1 servers TARNQUEST game
expect_status 4
expect_only_failure_line "): past the deadline while waiting for a reply from $address"

check "no server at the address"
run --server 127.0.0.1:1 servers TARNQUEST game
expect_status 4
expect_only_failure_line "): cannot connect to 127.0.0.1:1: connection" # refused; Wine says aborted

# --- a data file, with values that need escaping in the server list ----------------
cat >"$work/data.json" <<'EOF'
{
  "products": [{"name": "Odd", "categories": [{"name": "c", "servers": [
    {"name": "a&b <\"c\"> 'd'", "address": "10.0.0.1:80", "uc": -3}]}],
    "events": [{"name": "e"}]}],
  "accounts": [{"public": "carol", "password": "secret1"}],
  "contexts": [{"id": "cx", "account": "carol"}],
  "servlets": ["tickets2"],
  "lifetime": 60
}
EOF
start_server data --data "$work/data.json"
check "data file: escaped names come back unchanged"
run --server "$address" servers ODD c
expect_ok
expect_out_has "a&b <\"c\"> 'd'  10.0.0.1:80  10.0.0.1  80    -3"
check "data file: the library's servlet name is not served"
run --server "$address" ticket Odd e --context-id cx
expect_status 3
expect_only_failure_line "the request failed, code -1 (failure): HTTP 404"

check "data file: a bad file is refused with file and line"
printf '{\n  "products": [],\n  "lifetime": "long"\n}\n' >"$work/bad.json"
"$devserver" --listen 127.0.0.1:0 --data "$work/bad.json" >"$work/bad.out" 2>"$work/bad.err"
rc=$?
out=$(cat "$work/bad.out")
err=$(cat "$work/bad.err")
[ "$rc" -ne 0 ] || fail "expected a non-zero exit"
[ -z "$out" ] || fail "expected nothing on stdout"
expect_err_has "$work/bad.json:3: /lifetime must be a whole number"

check "devserver: a port in use is refused"
timeout 20 "$devserver" --listen "$main" >"$work/second.out" 2>"$work/second.err"
rc=$?
out=$(cat "$work/second.out")
err=$(cat "$work/second.err")
[ "$rc" -ne 0 ] && [ "$rc" -ne 124 ] || fail "expected the second server to stop at once"
[ -z "$out" ] || fail "expected nothing on stdout"
expect_err_has "cannot listen on $main: the port is already in use"

# --- every request was logged, never with a password -------------------------------
check "server log"
out=""
err=$(cat "$work/main.log")
rc=0
expect_err_has "POST /getTicket product=TARNQUEST event=launch account=alice -> 200, status 2006"
expect_err_has "POST /addrsrv product=TARNQUEST category=game server=any att1=eu -> 200, status 0, 2 servers"
expect_err_lacks "wonderland1"
expect_err_lacks "builder42"

echo "$checks checks, $failures failed ($mode)"
[ "$failures" -eq 0 ]
