#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs the whole test suite through CTest. The Release configuration with the tests is built
# as well, because some warnings appear only when the optimiser runs; both builds turn warnings
# into errors.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${PLIVORA_TEST_BUILD:-build-test}
release=${PLIVORA_RELEASE_CHECK_BUILD:-build-release-check}
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLIVORA_SANITIZE=ON \
    -DPLIVORA_BUILD_TESTS=ON -DPLIVORA_WERROR=ON
cmake --build "$build" -j "$jobs"

cmake -S . -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLIVORA_BUILD_TESTS=ON \
    -DPLIVORA_WERROR=ON
cmake --build "$release" -j "$jobs"

# Qt and fontconfig keep caches for the life of the process; leak reports are about our code only
# through the suppressions file.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 600
