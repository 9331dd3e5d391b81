#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite headless; then builds and runs it again
# under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan), and runs each fuzz target for
# 30 seconds. Any failure, sanitizer report or fuzzer crash fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2

scripts/build.sh build-asan -DQUOREL_SANITIZE=ON -DQUOREL_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j2

scripts/fuzz.sh 30 build-fuzz

# ---- Benchmarks (last step): built with the rest in build/; each runs once at its smallest size
# so none can rot. Figures from this run mean nothing; scripts/bench.sh alone measures.
scripts/bench.sh --quick build
