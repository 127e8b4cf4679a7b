#!/usr/bin/env bash
# ./build.sh run [args]   install what is missing, build, start the program
# ./build.sh test         install what is missing, build, run every test
# ./build.sh package      install what is missing, build the Debian package and check it
set -euo pipefail
cd "$(dirname "$0")"

case "${1:-}" in
  run)
    shift
    scripts/install-deps.sh build
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOKOA_TESTS=OFF
    cmake --build build/release -j "$(nproc)"
    exec build/release/bin/mokoa "$@"
    ;;
  test)
    scripts/install-deps.sh build test package fuzz
    exec scripts/run-tests.sh
    ;;
  package)
    scripts/install-deps.sh build package
    scripts/build-package.sh
    exec scripts/check-package.sh deb build/package/mokoa_*.deb
    ;;
  *)
    sed -n '2,4p' "$0" | sed 's/^# //'
    exit 2
    ;;
esac
