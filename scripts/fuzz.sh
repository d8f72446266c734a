#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, then runs each one from its seed
# corpus (fuzz/corpus/NAME/) for FUZZ_SECONDS (default 60). Any finding (crash,
# sanitizer report, leak, time-out, out of memory) fails the run; the input is
# kept under build-fuzz/fuzz/work/NAME/.
#   scripts/fuzz.sh [NAME...]     default: every target
# Environment: FUZZ_SECONDS, FUZZ_BUILD_DIR, FUZZ_CXX, FUZZ_CC, JOBS.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${FUZZ_BUILD_DIR:-build-fuzz}"
SECONDS_EACH="${FUZZ_SECONDS:-60}"
JOBS="${JOBS:-$(nproc)}"
start=$(date +%s)

cmake -S . -B "$BUILD_DIR" \
    -DCMAKE_CXX_COMPILER="${FUZZ_CXX:-clang++-14}" -DCMAKE_C_COMPILER="${FUZZ_CC:-clang-14}" \
    -DMATCHRAY_SANITIZE=address,undefined -DMATCHRAY_WITH_FUZZ=ON \
    -DMATCHRAY_WITH_TESTS=OFF -DMATCHRAY_WITH_BENCH=OFF -DMATCHRAY_WITH_SDL=OFF >/dev/null

if [ $# -gt 0 ]; then
    names=("$@")
else
    mapfile -t names < "$BUILD_DIR/fuzz/fuzzers.txt"
fi
cmake --build "$BUILD_DIR" -j"$JOBS" --target "${names[@]/#/fuzz_}"

failed=()
for name in "${names[@]}"; do
    work="$BUILD_DIR/fuzz/work/$name"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    dict=()
    [ -f "fuzz/dict/$name.dict" ] && dict=(-dict="fuzz/dict/$name.dict")
    # New inputs go to the work corpus; the seeds in the repository stay as they are.
    t0=$(date +%s)
    set +e
    "$BUILD_DIR/fuzz/fuzz_$name" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/artifacts/" "${dict[@]}" \
        "$work/corpus" "fuzz/corpus/$name" >"$work/log" 2>&1
    rc=$?
    set -e
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
    echo "fuzz: $name: ${runs:-?} executions in $(( $(date +%s) - t0 )) s, exit $rc"
    if [ "$rc" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
        failed+=("$name")
        tail -n 60 "$work/log"
        echo "fuzz: $name: finding kept in $work/artifacts/"
    fi
done

echo "fuzz: finished in $(( $(date +%s) - start )) s"
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: findings in: ${failed[*]}"
    exit 1
fi
