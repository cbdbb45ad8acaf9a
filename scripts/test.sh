#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the normal build (warnings are
# errors), the AddressSanitizer + UndefinedBehaviorSanitizer build, and the ThreadSanitizer
# build of the sound tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

status=0
echo "== normal build"
bash scripts/build.sh build -DQUORVANE_WERROR=ON
(cd build && ctest --output-on-failure --parallel 2) || status=1

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
bash scripts/build.sh build-asan -DQUORVANE_WERROR=ON -DQUORVANE_BUILD_BENCH=OFF \
  "-DQUORVANE_SANITIZE=address;undefined"
(cd build-asan && ctest --output-on-failure --parallel 2) || status=1

echo "== ThreadSanitizer build of the sound tests"
bash scripts/build.sh build-tsan -DQUORVANE_WERROR=ON -DQUORVANE_BUILD_BENCH=OFF \
  -DQUORVANE_BUILD_GUI=OFF -DQUORVANE_SANITIZE=thread
(cd build-tsan && ctest --output-on-failure --parallel 2 -L sound) || status=1

exit $status
