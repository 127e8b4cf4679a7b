#!/usr/bin/env bash
# Builds the Debian package of mokoa and mokoa-convert:
#   scripts/build-package.sh [BUILD_DIR]
# BUILD_DIR defaults to build/release, the Release build `./build.sh run` makes; an existing
# build folder (build/test, for one) is reused as it is configured. The package lands in
# build/package/mokoa_<version>_<arch>.deb, with the programs stripped and its dependencies
# worked out by dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOKOA_TESTS=OFF
fi
cmake --build "$build" -j "$(nproc)"
out=$PWD/build/package
rm -f "$out"/mokoa_*.deb
cpack --config "$build/CPackConfig.cmake" -B "$out" >/dev/null
ls "$out"/mokoa_*.deb
