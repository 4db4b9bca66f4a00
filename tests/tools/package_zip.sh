#!/usr/bin/env bash
# Makes the Windows SDK .zip with CPack, unpacks it into a throw-away folder
# and checks that it holds what a Visual Studio or MinGW project needs and
# nothing else, that its binaries are stripped and need no MinGW run-time
# DLL, that a MinGW host links against it, and that tarn.exe starts from it
# under Wine.
#
#   package_zip.sh BUILD_DIR HOST_SOURCE CXX OBJDUMP WINE_RUN
set -euo pipefail
build=$1
host_source=$2
cxx=$3
objdump=$4
wine_run=$5

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
required=(bin/TarnClient.dll bin/XMLParser.dll bin/tarn.exe lib/libTarnClient.dll.a lib/TarnClient.lib lib/TarnClient.def
          include/tarnclient/TarnClient.h include/tarnclient/tarn.h README.md LICENSE
          bindings/csharp/TarnClient.cs bindings/python/pyproject.toml bindings/python/build_backend.py
          bindings/python/tarnclient/__init__.py bindings/python/tarnclient/_native.py
          bindings/python/tarnclient/py.typed
          lib/cmake/TarnClient/TarnClientConfig.cmake lib/cmake/TarnClient/TarnClientConfigVersion.cmake
          lib/cmake/TarnClient/TarnClientTargets.cmake lib/pkgconfig/tarnclient.pc)
for f in "${required[@]}"; do
  [ -f "$sdk/$f" ] || die "$f is missing"
done
# The imported target's file is named after the build type.
unexpected=$(cd "$sdk" && find . -type f -printf '%P\n' | grep -vxF -f <(printf '%s\n' "${required[@]}") \
             | grep -vx 'lib/cmake/TarnClient/TarnClientTargets-[a-z]*\.cmake' || true)
[ -z "$unexpected" ] || die "files that do not belong in the SDK: $unexpected"

step "binaries"
for file in "$sdk"/bin/*; do
  imports=$("$objdump" -p "$file" | sed -n 's/^\tDLL Name: //p')
  for runtime in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    grep -qix "$runtime" <<<"$imports" && die "$file needs $runtime"
  done
  "$objdump" -h "$file" | grep -q '\.debug_info' && die "$file is not stripped"
done
if [ -f "$sdk/lib/TarnClient.def" ]; then
  for name in TarnClientLib_GetComponentFactory TarnClientLib_MemAlloc TarnClientLib_MemFree; do
    grep -q "$name" "$sdk/lib/TarnClient.def" || die "TarnClient.def lacks $name"
  done
fi

step "a MinGW host linked against the SDK"
for import in "$sdk"/lib/libTarnClient.dll.a "$sdk"/lib/TarnClient.lib; do
  [ -f "$import" ] || continue
  "$cxx" -std=c++11 -Wall -Wextra -I"$sdk/include" "$host_source" "$import" -static-libgcc -static-libstdc++ \
    -o "$work/list-servers.exe" || die "linking against $(basename "$import")"
  "$cxx" -x c -std=c99 -Wall -Wextra -pedantic -Werror -I"$sdk/include" "$(dirname "$host_source")/list-servers.c" \
    -x none "$import" -o "$work/list-servers-c.exe" || die "linking the C host against $(basename "$import")"
done

step "pip install bindings/python from the SDK"
/usr/bin/python3 -m pip install --no-index --quiet --target "$work/site" "$sdk/bindings/python" \
  || die "pip install of the SDK's Python package"
[ -f "$work/site/tarnclient/__init__.py" ] || die "pip installed no tarnclient package"

step "tarn.exe from the SDK under Wine"
(cd "$work" && "$wine_run" "$sdk/bin/tarn.exe" --version) >"$work/tarn.out" 2>&1 || { cat "$work/tarn.out"; die "tarn.exe --version"; }
grep -q "^tarn [0-9]" "$work/tarn.out" || { cat "$work/tarn.out"; die "tarn.exe printed no version"; }

echo "package_zip: ok"
