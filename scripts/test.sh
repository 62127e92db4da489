#!/usr/bin/env bash
# Installs what is missing; runs the suites that cross threads under ThreadSanitizer; then
# builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs the whole test suite
# through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

# Threads: window calls from workers, cancelled and timed-out fetches.
tsan=${QW_TSAN_BUILD_DIR:-build-tsan}
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQW_TSAN=ON -DQW_BUILD_BENCH=OFF
cmake --build "$tsan" -j "$(nproc)" --target window_tests app_tests fetch_tests
export TSAN_OPTIONS="suppressions=$PWD/scripts/tsan.supp"
for suite in window/window_tests app/app_tests web/fetch_tests; do
  echo "ThreadSanitizer: $suite"
  "$tsan/tests/$suite" --gtest_brief=1
done

build=${QW_TEST_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQW_SANITIZE=ON
cmake --build "$build" -j "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
