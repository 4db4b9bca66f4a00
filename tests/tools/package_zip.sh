#!/usr/bin/env bash
# Makes the Windows SDK .zip with CPack from both Windows builds, unpacks it
# into a throw-away folder and checks that it holds what a Visual Studio or
# MinGW project of either width needs and nothing else; that its binaries
# are of their width, stripped, export the entry points and need no MinGW
# run-time DLL; that its samples build with MinGW for each width through its
# CMake package, and its C sample links against either import library; that
# the CMake package gives each compiler and width its import library and
# refuses a width the SDK lacks; and that tarn.exe of each width starts from
# it under Wine.
#
#   package_zip.sh BUILD_DIR CHECK_EXPORTS WINE_RUN
set -euo pipefail
build=$1
check_exports=$2
wine_run=$3

widths=(x86 x64)
declare -A format=([x86]=pei-i386 [x64]=pei-x86-64)
declare -A mingw=([x86]=i686-w64-mingw32 [x64]=x86_64-w64-mingw32)
declare -A msvc=([x86]=i686-pc-windows-msvc [x64]=x86_64-pc-windows-msvc)
# This one reads the binaries of both widths.
objdump=x86_64-w64-mingw32-objdump

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
step() { echo "--- $*"; }
die() { echo "FAIL: $*"; exit 1; }

step "cpack -G ZIP"
cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; die "cpack"; }
zips=("$work"/cpack/*.zip)
[ ${#zips[@]} -eq 1 ] && [ -f "${zips[0]}" ] || die "cpack made no single .zip: ${zips[*]}"
mkdir "$work/sdk"
(cd "$work/sdk" && cmake -E tar xf "${zips[0]}")
roots=("$work"/sdk/*)
[ ${#roots[@]} -eq 1 ] && [ -d "${roots[0]}" ] || die "the archive has no single top folder"
sdk=${roots[0]}

step "contents"
required=(include/tarnclient/TarnClient.h include/tarnclient/tarn.h README.md LICENSE lib/TarnClient.def
          lib/cmake/TarnClient/TarnClientConfig.cmake lib/cmake/TarnClient/TarnClientConfigVersion.cmake
          bindings/csharp/TarnClient.cs bindings/python/pyproject.toml bindings/python/build_backend.py
          bindings/python/tarnclient/__init__.py bindings/python/tarnclient/_native.py
          bindings/python/tarnclient/py.typed html/index.html)
samples=(CMakeLists.txt list-servers.cpp login.cpp stop-lookup.cpp list-servers.c ListServers.cs list_servers.py)
required+=("${samples[@]/#/samples/}")
for w in "${widths[@]}"; do
  required+=(bin/$w/TarnClient.dll bin/$w/XMLParser.dll bin/$w/tarn.exe
             lib/$w/libTarnClient.dll.a lib/$w/TarnClient.lib lib/$w/pkgconfig/tarnclient.pc)
done
for f in "${required[@]}"; do
  [ -f "$sdk/$f" ] || die "$f is missing"
done
unexpected=$(cd "$sdk" && find . -type f -printf '%P\n' | grep -v '^html/' |
             grep -vxF -f <(printf '%s\n' "${required[@]}") || true)
[ -z "$unexpected" ] || die "files that do not belong in the SDK: $unexpected"

step "binaries"
for w in "${widths[@]}"; do
  for file in "$sdk"/bin/$w/*; do
    "$objdump" -f "$file" | grep -q "file format ${format[$w]}\$" || die "$file is not ${format[$w]}"
    imports=$("$objdump" -p "$file" | sed -n 's/^\tDLL Name: //p')
    for runtime in libstdc++-6.dll libgcc_s_seh-1.dll libgcc_s_dw2-1.dll libgcc_s_sjlj-1.dll libwinpthread-1.dll; do
      grep -qix "$runtime" <<<"$imports" && die "$file needs $runtime"
    done
    "$objdump" -h "$file" | grep -q '\.debug_info' && die "$file is not stripped"
  done
  bash "$check_exports" dll "$sdk/bin/$w/TarnClient.dll" "$sdk/lib/TarnClient.def" >/dev/null ||
    die "bin/$w/TarnClient.dll exports"
done

step "the SDK's README is its own"
grep -q "^# TarnClient SDK" "$sdk/README.md" || die "README.md is not the SDK's README"

step "the samples, built with MinGW for each width"
for w in "${widths[@]}"; do
  cmake -S "$sdk/samples" -B "$work/samples-$w" -G Ninja -DCMAKE_PREFIX_PATH="$sdk" -DCMAKE_SYSTEM_NAME=Windows \
    -DCMAKE_C_COMPILER="${mingw[$w]}-gcc-posix" -DCMAKE_CXX_COMPILER="${mingw[$w]}-g++-posix" \
    -DCMAKE_C_FLAGS=-Werror -DCMAKE_CXX_FLAGS=-Werror >"$work/samples.log" 2>&1 &&
    cmake --build "$work/samples-$w" >>"$work/samples.log" 2>&1 || { cat "$work/samples.log"; die "$w samples"; }
  for dll in TarnClient.dll XMLParser.dll; do
    cmp -s "$work/samples-$w/$dll" "$sdk/bin/$w/$dll" || die "the $w samples' build did not copy $dll beside them"
  done
  # The Visual Studio import library serves MinGW's linker too.
  "${mingw[$w]}-gcc-posix" -std=c99 -Wall -Wextra -pedantic -Werror -I"$sdk/include" "$sdk/samples/list-servers.c" \
    "$sdk/lib/$w/TarnClient.lib" -o "$work/list-servers-c.exe" || die "linking the C sample against lib/$w/TarnClient.lib"
done

step "pip install bindings/python from the SDK"
/usr/bin/python3 -m pip install --no-index --quiet --target "$work/site" "$sdk/bindings/python" ||
  die "pip install of the SDK's Python package"
[ -f "$work/site/tarnclient/__init__.py" ] || die "pip installed no tarnclient package"

step "the CMake package"
cat >"$work/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(sdk_host LANGUAGES CXX)
find_package(TarnClient 1 REQUIRED)
get_target_property(implib TarnClient::TarnClient IMPORTED_IMPLIB)
get_target_property(dll TarnClient::TarnClient IMPORTED_LOCATION)
message(STATUS "uses ${implib} ${dll}")
CMAKE
# configure NAME SDK CMAKE-ARGS...: sets $out to what CMake said.
configure() {
  local name=$1 prefix=$2
  shift 2
  out=$(cmake -S "$work" -B "$work/$name" -G Ninja -DTarnClient_DIR="$prefix/lib/cmake/TarnClient" "$@" 2>&1)
}
# clang named clang-cl takes Visual Studio's command line.
ln -s "$(command -v clang)" "$work/clang-cl"
for w in "${widths[@]}"; do
  configure mingw-$w "$sdk" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER="${mingw[$w]}-g++-posix" ||
    { echo "$out"; die "MinGW $w: find_package"; }
  grep -qF "uses $sdk/lib/$w/libTarnClient.dll.a $sdk/bin/$w/TarnClient.dll" <<<"$out" ||
    { echo "$out"; die "MinGW $w: not the $w MinGW import library"; }
  # clang-cl stands for Visual Studio; nothing is linked, so no Windows SDK is needed.
  configure clang-cl-$w "$sdk" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER="$work/clang-cl" \
    -DCMAKE_CXX_COMPILER_TARGET="${msvc[$w]}" -DCMAKE_LINKER=lld-link -DCMAKE_AR="$(command -v llvm-lib)" \
    -DCMAKE_MT="$(command -v llvm-mt)" -DCMAKE_TRY_COMPILE_TARGET_TYPE=STATIC_LIBRARY ||
    { echo "$out"; die "clang-cl $w: find_package"; }
  grep -qF "uses $sdk/lib/$w/TarnClient.lib $sdk/bin/$w/TarnClient.dll" <<<"$out" ||
    { echo "$out"; die "clang-cl $w: not the $w Visual Studio import library"; }
done
# An SDK of one width refuses the other and says why.
cp -r "$sdk" "$work/x64-only"
rm -r "$work/x64-only/bin/x86" "$work/x64-only/lib/x86"
configure refused "$work/x64-only" -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_CXX_COMPILER="${mingw[x86]}-g++-posix" &&
  die "an SDK without x86 served an x86 build"
# (CMake wraps the reason's lines.)
tr -s ' \n' '  ' <<<"$out" | grep -q "has no x86 library, which a 32-bit build needs" ||
  { echo "$out"; die "no reason given"; }

step "tarn.exe of each width from the SDK under Wine"
for w in "${widths[@]}"; do
  (cd "$work" && "$wine_run" "$sdk/bin/$w/tarn.exe" --version) >"$work/tarn.out" 2>&1 ||
    { cat "$work/tarn.out"; die "$w tarn.exe --version"; }
  grep -q "^tarn [0-9]" "$work/tarn.out" || { cat "$work/tarn.out"; die "$w tarn.exe printed no version"; }
done

echo "package_zip: ok"
