#!/usr/bin/env bash
# Builds the emulator, the plug-in and hostile_cases_bench in build/ (or
# BUILD_DIR), then runs the emulator against each hostile case and prints the
# table: outcome, peak resident memory, wall time and the most /tmp held.
#   bench/hostile-cases.sh [NAME-PART]
# Environment: BUILD_DIR, JOBS. Takes about three minutes: the trickling cases
# run to the default 30 s deadlines.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" -j"${JOBS:-2}" --target receiver-emu matchray hostile_cases_bench >/dev/null
exec "$BUILD_DIR/bin/hostile_cases_bench" "$@"
