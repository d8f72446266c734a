#!/usr/bin/env bash
# Plants each fault of tests/faults/planted.tsv into the product, one at a time,
# builds, runs the suite and says whether it was caught. A fault whose fourth
# column is "build" must be caught by the compiler: the build has to fail. The
# tree is restored after each fault. Needs a configured build (scripts/test.sh).
# Usage: scripts/plant-faults.sh [NAME...]    (BUILD_DIR, JOBS, CTEST_ARGS as for scripts/test.sh;
#        TARGETS limits the build to some targets, e.g. TARGETS="listings_tests detail_tests";
#        TESTS limits the run to the tests whose names match a regular expression, e.g. TESTS="Loader|Transfer")
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
JOBS="${JOBS:-$(nproc)}"
TABLE=tests/faults/planted.tsv

if ! git diff --quiet; then
    echo "plant-faults: the work tree has changes; commit or stash them first" >&2
    exit 2
fi
[ -d "$BUILD_DIR" ] || { echo "plant-faults: no build in $BUILD_DIR; run scripts/test.sh first" >&2; exit 2; }

restore() { [ -n "${planted:-}" ] && git checkout -q -- "$planted"; planted=; }
trap restore EXIT

caught=0 missed=0 broken=0
printf '%-26s %-44s %s\n' fault file result
while IFS=$'\t' read -r name file substitution caught_by; do
    [[ -z "$name" || "$name" == \#* ]] && continue
    if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then continue; fi
    planted=$file
    perl -0pi -e "$substitution" "$file"
    if git diff --quiet -- "$file"; then
        result="NOT PLANTED (the substitution matched nothing)"
        broken=$((broken + 1))
    elif ! cmake --build "$BUILD_DIR" -j"$JOBS" ${TARGETS:+--target $TARGETS} >"$BUILD_DIR"/plant-faults-build.log 2>&1; then
        if [ "${caught_by:-suite}" = build ]; then
            result="caught (the build failed)"
            caught=$((caught + 1))
        else
            result="build failed"
            broken=$((broken + 1))
        fi
    elif [ "${caught_by:-suite}" = build ]; then
        result="MISSED (it built)"
        missed=$((missed + 1))
    elif ctest --test-dir "$BUILD_DIR" -j"$JOBS" ${TESTS:+-R "$TESTS"} ${CTEST_ARGS:-} >"$BUILD_DIR"/plant-faults-test.log 2>&1; then
        result="MISSED"
        missed=$((missed + 1))
    else
        failed=$(grep -cE '^\s*[0-9]+ - ' "$BUILD_DIR"/plant-faults-test.log || true)
        result="caught ($failed failing tests)"
        caught=$((caught + 1))
    fi
    restore
    printf '%-26s %-44s %s\n' "$name" "$file" "$result"
done <"$TABLE"
# Rebuild the unplanted tree, so the build matches the sources again.
cmake --build "$BUILD_DIR" -j"$JOBS" ${TARGETS:+--target $TARGETS} >/dev/null 2>&1 || true
echo "plant-faults: $caught caught, $missed missed, $broken not planted or not built"
[ "$missed" -eq 0 ] && [ "$broken" -eq 0 ]
