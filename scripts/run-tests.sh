#!/usr/bin/env bash
# Builds everything and runs every test, packs the Debian package from that build and
# checks it, then builds the core libraries and their tests with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs those too, the web server's, the fit's, the live
# fit's, the quantiser's and the converter's batches' tests once more under
# ThreadSanitizer, and every fuzz target for a while (MOKOA_FUZZ_SECONDS each, 50 by
# default).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Build and test"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMOKOA_BENCH=ON
cmake --build build/test -j "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs"

echo "== Debian package from the test build, its fields, files and programs checked"
scripts/build-package.sh build/test
scripts/check-package.sh deb build/package/mokoa_*.deb

echo "== Sanitizer build of the core and its tests"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOKOA_GUI=OFF -DMOKOA_SANITIZE=ON
cmake --build build/sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1 \
UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs" -L core

echo "== ThreadSanitizer build of the web server, the fit, the live fit, the quantiser and the converter's batches, and their tests"
cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOKOA_GUI=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -O1" -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
cmake --build build/tsan -j "$jobs" --target test_web test_image test_phone test_cli
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/web/tsan.supp \
  ctest --test-dir build/tsan --output-on-failure -j "$jobs" \
  -R '^web\.|^image\.QualityQuantizer\.|^phone\.FitToLimit\.|^phone\.HighQualityTest\.Fitted|^phone\.LiveFit|^phone\.FitWorkers\.|^cli\.ConvertCliTest\.Batches'

echo "== Fuzz targets built with clang, each run for a while from its seeds"
scripts/run-fuzzers.sh "${MOKOA_FUZZ_SECONDS:-50}"

echo "== All tests passed"
