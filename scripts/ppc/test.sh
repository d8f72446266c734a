#!/usr/bin/env bash
# Builds the plug-in, the host, the headless emulator and the tests for 32-bit
# big-endian PowerPC and runs the whole unit and end-to-end suite under
# qemu-ppc through ctest.
#
# Usage: scripts/ppc/test.sh [CMAKE_ARGS...]
# Environment:
#   BUILD_DIR         the cross build (default build-ppc)
#   MATCHRAY_PPC_CACHE, JOBS   as for scripts/ppc/build-deps.sh
#   CTEST_ARGS        extra arguments for ctest, e.g. "-R Emulator"
#
# The reference server stays a native program (on a real receiver it is
# another machine too): its own tests belong to the native build, and the
# end-to-end tests serve the plug-in from loopback servers inside the test.
# PowerPC programs that the tests start go through scripts/ppc/qemu-run.
set -euo pipefail
cd "$(dirname "$0")/../.."
REPO="$(pwd)"
BUILD_DIR="${BUILD_DIR:-build-ppc}"
JOBS="${JOBS:-2}"
CACHE="${MATCHRAY_PPC_CACHE:-$HOME/.cache/matchray-ppc}"
export MATCHRAY_PPC_PREFIX="$CACHE/prefix"
export JOBS MATCHRAY_PPC_CACHE="$CACHE"

step() { echo "ppc-test: $* ($(date +%T))"; }
start=$SECONDS

step "dependencies"
bash scripts/ppc/build-deps.sh

step "cross build in $BUILD_DIR"
deps_done=$SECONDS
cmake -S . -B "$BUILD_DIR" \
  -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/ppc-toolchain.cmake" \
  -DMATCHRAY_PPC_PREFIX="$MATCHRAY_PPC_PREFIX" \
  -DMATCHRAY_WITH_SDL=OFF -DMATCHRAY_WITH_SERVER=OFF -DMATCHRAY_WITH_BENCH=OFF "$@" >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS"
built=$SECONDS

step "suite under qemu-ppc"
# Emulated programs run several times slower: give each test more time.
ctest --test-dir "$BUILD_DIR" --output-on-failure -j"$JOBS" --timeout 600 ${CTEST_ARGS:-}
step "done: dependencies $((deps_done - start)) s," \
     "cross build $((built - deps_done)) s, suite $((SECONDS - built)) s"
