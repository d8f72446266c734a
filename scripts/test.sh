#!/usr/bin/env bash
# Builds everything and runs the whole test suite (unit and end-to-end).
# BUILD_DIR and extra CMake arguments can be given: scripts/test.sh [CMAKE_ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
JOBS="${JOBS:-$(nproc)}"

cmake -S . -B "$BUILD_DIR" "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$JOBS" ${CTEST_ARGS:-}
