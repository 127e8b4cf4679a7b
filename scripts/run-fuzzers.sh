#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UBSan) and runs each one
# for a while from its seeds; fails when any target crashes, hangs or breaks a check.
#   scripts/run-fuzzers.sh [SECONDS_PER_TARGET [TARGET...]]
# The corpora the runs grow stay in build/fuzz/corpus/<target>/ for the next run; inputs that
# broke a target are saved in build/fuzz/findings/<target>/ (keep them in
# tests/fuzz-regressions/<target>/ once the fault is mended).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift $(( $# > 0 ? 1 : 0 ))
wanted=("$@")
build=build/fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DMOKOA_FUZZ=ON -DMOKOA_TESTS=OFF -DMOKOA_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzzers

export QT_QPA_PLATFORM=offscreen
failed=()
while IFS='|' read -r name seeds dict max_len rss_limit; do
  if [ ${#wanted[@]} -gt 0 ] && [[ ! " ${wanted[*]} " =~ " $name " ]]; then
    continue
  fi
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings"
  # Instrumented code on a shared machine: a picture of a hundred megabytes that loads in a
  # fifth of a second takes seconds here, so only a real hang should reach the time limit.
  args=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb="${rss_limit:-2560}"
        -print_final_stats=1 -artifact_prefix="$findings/")
  [ -n "$dict" ] && args+=(-dict="$dict")
  [ -n "$max_len" ] && args+=(-max_len="$max_len")
  inputs=("$corpus")
  IFS=, read -ra seed_folders <<< "$seeds"
  for folder in "${seed_folders[@]}"; do
    [ -d "$folder" ] && inputs+=("$folder")
  done
  [ -d "tests/fuzz-regressions/$name" ] && inputs+=("tests/fuzz-regressions/$name")
  log="$build/fuzz-$name.log"
  echo "== fuzz $name for ${seconds}s"
  if "$build/bin/fuzz_$name" "${args[@]}" "${inputs[@]}" >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | tr '\n' ' '
    echo
  else
    echo "fuzz $name FAILED; the end of $log:"
    tail -n 40 "$log"
    failed+=("$name")
  fi
done < "$build/fuzz-targets.txt"

if [ ${#failed[@]} -gt 0 ]; then
  echo "== fuzz targets that failed: ${failed[*]} (inputs in $build/findings/)"
  exit 1
fi
echo "== every fuzz target ran clean"
