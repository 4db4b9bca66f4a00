#!/usr/bin/env bash
# Installs the build into a throw-away prefix, builds the separate host
# project of tests/install against it twice (CMake package, pkg-config), and
# runs both hosts and the installed tarn against the installed tarn-devserver.
#
#   install_package.sh BUILD_DIR HOST_PROJECT_DIR
set -euo pipefail
build=$1
project=$2

work=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export TARN_REGISTRY=$work/registry.db
prefix=$work/prefix

step() { echo "--- $*"; }
die() { echo "FAIL: $*"; exit 1; }

step "install"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; die "cmake --install"; }
for f in include/tarnclient/TarnClient.h bin/tarn bin/tarn-devserver lib/cmake/TarnClient/TarnClientConfig.cmake \
         lib/pkgconfig/tarnclient.pc; do
  [ -e "$prefix/$f" ] || die "$f was not installed"
done
ls "$prefix"/lib/libTarnClient.so* >/dev/null || die "libTarnClient.so was not installed"
ls "$prefix"/lib/libXMLParser.so* >/dev/null || die "libXMLParser.so was not installed"

step "find_package(TarnClient)"
cmake -S "$project" -B "$work/host" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >"$work/host-config.log" 2>&1 \
  || { cat "$work/host-config.log"; die "configuring the host project"; }
cmake --build "$work/host" >"$work/host-build.log" 2>&1 || { cat "$work/host-build.log"; die "building the host project"; }
grep -q "warning" "$work/host-build.log" && { cat "$work/host-build.log"; die "warnings building the host"; }

step "pkg-config tarnclient"
PKG_CONFIG_PATH=$prefix/lib/pkgconfig
export PKG_CONFIG_PATH
# shellcheck disable=SC2046
c++ -std=c++11 -Wall -Wextra "$project/list-servers.cpp" -o "$work/list-servers-pc" \
  $(pkg-config --cflags --libs tarnclient) -Wl,-rpath,"$(pkg-config --variable=libdir tarnclient)"

step "the installed tarn-devserver"
mkfifo "$work/server.fifo"
"$prefix/bin/tarn-devserver" --listen 127.0.0.1:0 >"$work/server.fifo" 2>"$work/server.log" &
server_pid=$!
exec {fifo}<"$work/server.fifo"
read -r -t 30 address <&"$fifo" || die "the installed tarn-devserver did not start: $(cat "$work/server.log")"

expected="alpha 127.0.0.1:7001 uc=12
beta 127.0.0.1:7002 uc=40
gamma 127.0.0.1:7003 uc=7
3 servers"
for host in "$work/host/list-servers" "$work/list-servers-pc"; do
  step "$host"
  out=$("$host" TARNQUEST game "$address") || die "$host failed"
  [ "$out" == "$expected" ] || die "$host printed:
$out"
done

step "the installed tarn"
"$prefix/bin/tarn" --server "$address" server TARNRACE game | grep -q track1 || die "installed tarn failed"

echo "install_package: ok"
