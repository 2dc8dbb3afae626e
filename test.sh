#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless:
# the suite, a short pass of each fuzzer, then the suite once more built with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
source "$(dirname "$0")/tools/setup.sh"
tolv_install
tolv_build -DTOLV_TESTS=ON -DTOLV_BENCH=ON
export QT_QPA_PLATFORM=offscreen
# A short pass of each fuzzer over its seed corpus, when clang's libFuzzer is there.
if [ -x "$TOLV_ROOT/tests/fuzz/run.sh" ]; then
  TOLV_FUZZ_JOBS="$(nproc)" "$TOLV_ROOT/tests/fuzz/run.sh" 5
fi
ctest --test-dir "$TOLV_BUILD" --output-on-failure -j "$(nproc)"

# The sanitizer build has a folder of its own; -O1 keeps it quick to build
# and still fast to run. Any report ends the test that made it, leaks too.
TOLV_BUILD="$TOLV_ROOT/build-san" tolv_build -DTOLV_TESTS=ON -DTOLV_BENCH=OFF -DTOLV_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1" \
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  ctest --test-dir "$TOLV_ROOT/build-san" --output-on-failure -j "$(nproc)"
