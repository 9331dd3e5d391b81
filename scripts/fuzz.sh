#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each for the given number of seconds (default 30), starting from the committed seed corpus.
# Fails when a target crashes, leaks or trips a sanitizer; the failing input is kept in
# <build>/artifacts/<target>/. Usage: scripts/fuzz.sh [seconds] [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dir=${2:-build-fuzz}
root=$(pwd)

cmake -S . -B "$dir" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DQUOREL_SANITIZE=ON -DQUOREL_FUZZ=ON -DQUOREL_BUILD_BENCH=OFF \
  "-DQUOREL_FOLDERS=config;rest;convert" >/dev/null
cmake --build "$dir" --target quorel_fuzzers -j2

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for source in tests/fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  binary="$dir/tests/fuzz/$name"
  target=${name#fuzz_}
  seeds="$root/tests/fuzz/corpus/$target"
  work="$dir/corpus/$target"      # grows while fuzzing; the committed seeds stay as they are
  artifacts="$dir/artifacts/$target/"
  mkdir -p "$work" "$artifacts"
  log="$dir/$name.log"
  if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
       -artifact_prefix="$artifacts" -print_final_stats=1 "$work" "$seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "fuzz $target: ${runs:-?} executions in ${seconds} s, no crash"
  else
    echo "fuzz $target: FAILED (log $log, input in $artifacts)"
    tail -40 "$log"
    failed=1
  fi
done
exit $failed
