#!/usr/bin/env bash
# The sample programs of bindings/*/examples against the server in
# TARN_TEST_SERVER: the servers of a product, a ticket through the program's
# own prompt (answered on standard input), a refused context id, the machine
# identifier; and the README's C# host.
#
#   run_examples.sh MONO TARN.EXE TARN.PY LISTSERVERS.EXE
set -u
mono=$1 csharp=$2 python=$3 readme=$4
failures=0
checks=0

# expect NAME EXPECTED-STATUS OUTPUT-PATTERN INPUT COMMAND...
expect() {
  local name=$1 status=$2 pattern=$3 input=$4
  shift 4
  checks=$((checks + 1))
  local out rc
  out=$(printf '%b' "$input" | "$@" 2>&1)
  rc=$?
  if [ "$rc" -ne "$status" ] || ! grep -qE -- "$pattern" <<<"$out"; then
    failures=$((failures + 1))
    echo "FAIL [$name]: exit $rc (expected $status), output:"
    echo "$out"
  fi
}

for language in python csharp; do
  if [ $language = python ]; then
    program=(/usr/bin/python3 "$python")
  else
    program=("$mono" "$csharp")
  fi
  tarn=("${program[@]}" --server "$TARN_TEST_SERVER")
  expect "$language servers" 0 '^gamma +127\.0\.0\.1:7003 +uc=7' "" "${tarn[@]}" servers TARNQUEST game
  expect "$language no server" 1 '^$' "" "${tarn[@]}" servers TARNQUEST game nosuch
  expect "$language login" 0 'password: [0-9A-F]{32}$' 'alice\nwonderland1\n' "${tarn[@]}" ticket TARNQUEST launch
  expect "$language wrong, then right" 0 'refused the login with code 2006' 'bob\nwrong1\n\nbuilder42\n' \
    "${tarn[@]}" ticket TARNRACE season1
  expect "$language giving up" 1 'public name' "" "${tarn[@]}" ticket TARNQUEST launch
  expect "$language refused" 3 'server status 2009' "" "${tarn[@]}" ticket TARNQUEST launch ctx-expired
  expect "$language machine id" 0 '^\{[0-9A-F-]{36}\}$' "" "${program[@]}" machine-id
done
expect "README C# host, servers" 0 '^gamma 127\.0\.0\.1:7003 uc=7$' "" "$mono" "$readme" "$TARN_TEST_SERVER"
expect "README C# host, ticket" 0 '^ticket: [0-9A-F]{32}$' "" "$mono" "$readme" "$TARN_TEST_SERVER"
echo "$((checks - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
