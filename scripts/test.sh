#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs the whole test suite through CTest. The Release check builds what a packager's plain
# Release build compiles (the program, its libraries and tools; no tests), because some warnings
# appear only when the optimiser runs; both builds turn warnings into errors. Compiles go through
# ccache when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${PLIVORA_TEST_BUILD:-build-test}
release=${PLIVORA_RELEASE_CHECK_BUILD:-build-release-check}
jobs=$(nproc 2>/dev/null || echo 2)

# The Release check runs beside the test build and the tests at a lower priority: it takes the
# time the cores would otherwise idle (links, the tests waiting for windows, timers and child
# processes) and yields to them otherwise. It runs in a process group of its own, which is ended
# when this script ends before it.
mkdir -p "$release"
release_log="$release/release-check.log"
nice -n 10 setsid bash -c 'cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DPLIVORA_BUILD_TESTS=OFF -DPLIVORA_WERROR=ON && cmake --build "$1" -j "$2"' \
    release-check "$release" "$jobs" >"$release_log" 2>&1 &
release_check=$!
trap 'kill -- -"$release_check" 2>/dev/null || true' EXIT

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLIVORA_SANITIZE=ON \
    -DPLIVORA_BUILD_TESTS=ON -DPLIVORA_WERROR=ON -DPLIVORA_UNITY_LIBRARIES=ON
cmake --build "$build" -j "$jobs"

# Qt and fontconfig keep caches for the life of the process; leak reports are about our code only
# through the suppressions file.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
tests_status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600 || tests_status=$?

if wait "$release_check"; then
    echo "test: the Release check built without warnings ($release)"
else
    cat "$release_log" >&2
    echo "test: the Release check failed; its log is $release_log" >&2
    exit 1
fi
exit "$tests_status"
