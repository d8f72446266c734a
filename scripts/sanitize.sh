#!/usr/bin/env bash
# Sanitizer lanes:
#   asan  the whole suite, unit and end-to-end, built with AddressSanitizer and
#         UndefinedBehaviorSanitizer (leak checks on) in build-asan/
#   tsan  the threaded tests (ctest label "threads": the GUI loop's post, the
#         ticker, closing the windows) and the end-to-end tests (label "e2e",
#         the emulator with the plug-in's ticker running) built with
#         ThreadSanitizer in build-tsan/
# Any report fails the lane: the sanitizers stop a process at its first report
# (abort), and every ASan, LSan and TSan report of every process, the emulators
# and servers the tests start included, is also written to BUILD/sanitizer-logs/,
# which must stay empty. UBSan in a build together with ASan ignores log_path
# (GCC 12): its reports end the process with abort, and the lane also looks for
# them in the output ctest kept.
#   scripts/sanitize.sh [asan] [tsan]      default: both
# Environment: JOBS, CTEST_ARGS (extra ctest arguments, such as -R NAME).
set -euo pipefail
cd "$(dirname "$0")/.."
JOBS="${JOBS:-$(nproc)}"
lanes=("$@")
[ ${#lanes[@]} -gt 0 ] || lanes=(asan tsan)

# run_lane NAME SANITIZERS CTEST_ARGS...: builds build-NAME and runs ctest in it,
# with the sanitizer options in the environment.
run_lane() {
    local name=$1 sanitizers=$2
    shift 2
    local dir="build-$name" t0 rc=0
    t0=$(date +%s)
    # Called in an || list, where set -e doesn't act: every step checks itself.
    if ! cmake -S . -B "$dir" -DMATCHRAY_SANITIZE="$sanitizers" -DMATCHRAY_WITH_SDL=OFF \
        -DMATCHRAY_WITH_BENCH=OFF >/dev/null || ! cmake --build "$dir" -j"$JOBS"; then
        echo "sanitize: $name: build FAILED"
        return 1
    fi
    local logs="$PWD/$dir/sanitizer-logs"
    rm -rf "$logs"
    mkdir -p "$logs"
    local common="halt_on_error=1:abort_on_error=1"
    (
        export ASAN_OPTIONS="$common:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$logs/asan"
        export UBSAN_OPTIONS="$common:print_stacktrace=1:log_path=$logs/ubsan"
        export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
        export TSAN_OPTIONS="$common:second_deadlock_stack=1:log_path=$logs/tsan"
        # shellcheck disable=SC2086
        ctest --test-dir "$dir" --output-on-failure -j"$JOBS" --timeout 600 --no-tests=error \
            "$@" ${CTEST_ARGS:-}
    ) || rc=1
    if [ -n "$(ls -A "$logs")" ]; then
        echo "sanitize: $name: reports in $logs:"
        head -n 80 "$logs"/*
        rc=1
    fi
    if grep -a -n -m 5 -e "runtime error:" -e "ERROR: AddressSanitizer" -e "ERROR: LeakSanitizer" \
        -e "WARNING: ThreadSanitizer" "$dir"/Testing/Temporary/LastTest*.log; then
        echo "sanitize: $name: sanitizer reports in the test output"
        rc=1
    fi
    echo "sanitize: $name: $([ $rc -eq 0 ] && echo passed || echo FAILED) in $(( $(date +%s) - t0 )) s"
    return $rc
}

status=0
for lane in "${lanes[@]}"; do
    case "$lane" in
        asan) run_lane asan address,undefined || status=1 ;;
        tsan) run_lane tsan thread -L 'threads|e2e' || status=1 ;;
        *)
            echo "sanitize: unknown lane $lane (asan or tsan)" >&2
            exit 2
            ;;
    esac
done
exit $status
