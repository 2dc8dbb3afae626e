#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless:
# the suite, a short pass of each fuzzer, then the suite once more built with
# clang, AddressSanitizer and UndefinedBehaviorSanitizer. Both builds take
# the whole tree, and a warning in a project file fails either of them.
set -euo pipefail
source "$(dirname "$0")/tools/setup.sh"
tolv_install
export TOLV_WERROR=ON
tolv_build -DTOLV_TESTS=ON -DTOLV_BENCH=ON -DTOLV_WERROR=ON
export QT_QPA_PLATFORM=offscreen
# A short pass of each fuzzer over its seed corpus, when clang's libFuzzer is there.
if [ -x "$TOLV_ROOT/tests/fuzz/run.sh" ]; then
  TOLV_FUZZ_JOBS="$(nproc)" "$TOLV_ROOT/tests/fuzz/run.sh" 5
fi
ctest --test-dir "$TOLV_BUILD" --output-on-failure -j "$(nproc)"

# The sanitizer build has a folder of its own and is the clang build, so the
# second compiler costs no extra build; -O1 keeps it quick to build and still
# fast to run. Any report ends the test that made it, leaks too.
san="$TOLV_ROOT/build-san"
# A folder configured with another compiler is configured afresh.
if [ -f "$san/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$san/CMakeCache.txt"; then
  rm -rf "$san/CMakeCache.txt" "$san/CMakeFiles"
fi
TOLV_BUILD="$san" tolv_build -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTOLV_TESTS=ON -DTOLV_BENCH=ON -DTOLV_SANITIZE=ON -DTOLV_WERROR=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1" \
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  ctest --test-dir "$san" --output-on-failure -j "$(nproc)"
