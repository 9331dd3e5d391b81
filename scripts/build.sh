#!/usr/bin/env bash
# Configures and builds into the folder given (default build/), passing further CMake options on.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir"
