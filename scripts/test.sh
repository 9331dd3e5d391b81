#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite headless.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j2
