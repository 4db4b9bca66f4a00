#!/usr/bin/env bash
# Installs the build into a throw-away prefix and, from what it installed,
# builds the samples (the host project in the documentation's examples/, with
# its CMake package; the C sample with pkg-config) and the usage examples of
# the installed headers; runs the samples, the installed Python package and
# the installed tarn against the installed tarn-devserver.
#
#   install_package.sh BUILD_DIR [install|deb]
#
# install: `cmake --install`, then its debug component.
# deb:     the .deb that CPack makes, unpacked with dpkg-deb -x; the
#          pkg-config host then finds the library through LD_LIBRARY_PATH
#          instead of a run-time path.
set -euo pipefail
build=$1
source=${2:-install}

work=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export TARN_REGISTRY=$work/registry.db

step() { echo "--- $*"; }
die() { echo "FAIL: $*"; exit 1; }

case $source in
  install)
    prefix=$work/prefix
    step "cmake --install"
    { cmake --install "$build" --prefix "$prefix" && cmake --install "$build" --prefix "$prefix" --component debug; } \
      >"$work/install.log" || { cat "$work/install.log"; die "cmake --install"; }
    ;;
  deb)
    prefix=$work/root/usr
    step "cpack -G DEB"
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 \
      || { cat "$work/cpack.log"; die "cpack"; }
    debs=("$work"/cpack/*.deb)
    [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || die "cpack made no single .deb: ${debs[*]}"
    deb=${debs[0]}
    depends=$(dpkg-deb --field "$deb" Depends)
    for dep in libc6 libstdc++6 libsqlite3-0 libexpat1; do
      tr ',' '\n' <<<"$depends" | sed 's/ *(.*//; s/^ *//' | grep -qxF "$dep" || die "Depends lacks $dep: $depends"
    done
    scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO)
    grep -q "ldconfig" <<<"$scripts" || die "the package does not run ldconfig"
    dpkg-deb --contents "$deb" >"$work/contents"
    grep -q '\.debug$' "$work/contents" && die "debug files in the package"
    grep -q ' \./usr/' "$work/contents" || die "the package does not install under /usr"
    step "dpkg-deb -x"
    dpkg-deb -x "$deb" "$work/root"
    ;;
  *) die "unknown source $source" ;;
esac

step "installed files"
version=$(sed -n 's/^Version: //p' "$prefix/lib/pkgconfig/tarnclient.pc")
for f in include/tarnclient/TarnClient.h include/tarnclient/tarn.h share/doc/tarnclient/html/index.html \
         share/doc/tarnclient/examples/CMakeLists.txt share/doc/tarnclient/examples/list-servers.cpp \
         lib/python3/dist-packages/tarnclient/__init__.py lib/python3/dist-packages/tarnclient/_native.py bin/tarn bin/tarn-devserver lib/cmake/TarnClient/TarnClientConfig.cmake \
         share/man/man1/tarn.1.gz share/man/man1/tarn-devserver.1.gz \
         share/doc/tarnclient/README.md share/doc/tarnclient/LICENSE share/doc/tarnclient/tarn-devserver.md; do
  [ -e "$prefix/$f" ] || die "$f was not installed"
done
# The development link, the run-time name and the file; the XML parser
# library has no development link, since hosts never link it.
[ "$(readlink "$prefix/lib/libTarnClient.so")" == libTarnClient.so.1 ] || die "libTarnClient.so is not a link to .so.1"
[ "$(readlink "$prefix/lib/libTarnClient.so.1")" == "libTarnClient.so.$version" ] || die "libTarnClient.so.1 is not a link to .so.$version"
[ "$(readlink "$prefix/lib/libXMLParser.so.1")" == "libXMLParser.so.$version" ] || die "libXMLParser.so.1 is not a link to .so.$version"
[ -e "$prefix/lib/libXMLParser.so" ] && die "libXMLParser.so was installed"
for lib in TarnClient XMLParser; do
  file=$prefix/lib/lib$lib.so.$version
  dynamic=$(readelf -d "$file")
  grep -q "SONAME.*\[lib$lib\.so\.1\]" <<<"$dynamic" || die "lib$lib's SONAME is not lib$lib.so.1"
done
for file in "$prefix/lib/libTarnClient.so.$version" "$prefix/lib/libXMLParser.so.$version" "$prefix"/bin/tarn*; do
  sections=$(readelf -S -W "$file")
  grep -q '\.debug_info' <<<"$sections" && die "$file is not stripped"
  grep -q '\.gnu_debuglink' <<<"$sections" || die "$file has no debug link"
  if [ "$source" == install ]; then
    debug=$(dirname "$file")/.debug/$(readelf -p .gnu_debuglink "$file" | sed -n 's/^ *\[ *0\] *//p')
    # readelf complains that a debug file's program interpreter is empty.
    debug_sections=$(readelf -S -W "$debug" 2>/dev/null || true)
    grep -q '\.debug_info' <<<"$debug_sections" || die "no debug information in $debug"
  fi
done
# Stripped, the library is a fraction of its 3.8 MB with debug information.
size=$(stat -c %s "$prefix/lib/libTarnClient.so.$version")
[ "$size" -lt 2000000 ] || die "the installed library has $size bytes"
if command -v groff >/dev/null; then
  for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(zcat "$page" | groff -man -ww -z -Tutf8 2>&1)
    [ -z "$warnings" ] || die "$page: $warnings"
  done
fi

project=$prefix/share/doc/tarnclient/examples
step "the samples, with find_package(TarnClient)"
cmake -S "$project" -B "$work/host" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS=-Werror \
  -DCMAKE_C_FLAGS=-Werror >"$work/host-config.log" 2>&1 || { cat "$work/host-config.log"; die "configuring the samples"; }
cmake --build "$work/host" >"$work/host-build.log" 2>&1 || { cat "$work/host-build.log"; die "building the samples"; }

step "pkg-config tarnclient"
PKG_CONFIG_PATH=$prefix/lib/pkgconfig
export PKG_CONFIG_PATH
libdir=$(pkg-config --variable=libdir tarnclient)
[ "$(cd "$libdir" && pwd -P)" == "$(cd "$prefix/lib" && pwd -P)" ] || die "pkg-config's libdir is $libdir"
runpath=(-Wl,-rpath,"$libdir")
[ "$source" == deb ] && runpath=()
# shellcheck disable=SC2046
cc -std=c99 -Wall -Wextra -pedantic -Werror "$project/list-servers.c" -o "$work/list-servers-c" \
  $(pkg-config --cflags --libs tarnclient) "${runpath[@]}"

# Each \code block of the C++ header is statements: one function each, with
# a manager and a list to work on.
if [ "$source" == deb ]; then
  step "the headers' usage examples"
  awk '
    BEGIN { print "#include <cstdio>\n#include <cstring>\n#include <tarnclient/TarnClient.h>\n#include <tarnclient/tarn.h>"
            print "using namespace tarnclient;\nRef<IAddressManager> manager;\nRef<IServerAddressList> list;" }
    /^\/\/\/ *\\code/ { n++; print "void example" n "() {"; inside = 1; next }
    /^\/\/\/ *\\endcode/ { print "}"; inside = 0; next }
    inside { sub(/^\/\/\/ ?/, ""); print }
    END { if (n < 4) { print "#error only " n " examples found" } }
  ' "$prefix/include/tarnclient/TarnClient.h" >"$work/examples.cpp"
  # shellcheck disable=SC2046
  c++ -std=c++11 -Wall -Wextra -Werror -Wno-unused-variable -c "$work/examples.cpp" -o "$work/examples.o" \
    $(pkg-config --cflags tarnclient) || die "the header's usage examples do not compile"
fi

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
step "the samples"
out=$("$work/host/list-servers" TARNQUEST game "$address") || die "list-servers failed"
[ "$out" == "$expected" ] || die "list-servers printed:
$out"
out=$("$work/host/stop-lookup" "$address") || die "stop-lookup failed"
[ "$out" == "3 servers" ] || die "stop-lookup printed: $out"
out=$(printf 'alice\nnotherpassword\n\nwonderland1\n' | "$work/host/login" TARNQUEST launch "$address") ||
  die "login failed: $out"
# (The prompts end without a line end, as the typed answer ends them on a terminal.)
grep -qF "refused: the password is wrong (2006)" <<<"$out" && grep -qE 'ticket: [0-9A-F]{32}$' <<<"$out" ||
  die "login printed:
$out"

step "the C host"
out=$(LD_LIBRARY_PATH=$libdir "$work/list-servers-c" "$address") || die "the C host failed"
[ "$out" == "$(head -n 3 <<<"$expected")" ] || die "the C host printed:
$out"

# The package finds the library of its own installation: no library path.
step "the installed Python package"
out=$(PYTHONPATH=$prefix/lib/python3/dist-packages PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3 \
      "$project/list_servers.py" "$address") || die "the Python host failed"
[ "$(head -n 3 <<<"$out")" == "$(head -n 3 <<<"$expected")" ] && grep -qE '^ticket: [0-9A-F]{32}$' <<<"$out" \
  || die "the Python host printed:
$out"

step "the installed tarn"
"$prefix/bin/tarn" --server "$address" server TARNRACE game | grep -q track1 || die "installed tarn failed"

echo "install_package ($source): ok"
