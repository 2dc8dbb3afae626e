#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless:
# the suite, a short pass of each fuzzer, then the suite once more built with
# clang, AddressSanitizer and UndefinedBehaviorSanitizer, and the tests that
# run threads built with clang and ThreadSanitizer. The first two builds take
# the whole tree, and a warning in a project file fails any of them.
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

# A folder configured with another compiler is configured afresh.
clang_folder() {
  if [ -f "$1/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$1/CMakeCache.txt"; then
    rm -rf "$1/CMakeCache.txt" "$1/CMakeFiles"
  fi
}

# The sanitizer build has a folder of its own and is the clang build, so the
# second compiler costs no extra build; -O1 keeps it quick to build and still
# fast to run. Any report ends the test that made it, leaks too.
san="$TOLV_ROOT/build-san"
clang_folder "$san"
TOLV_BUILD="$san" tolv_build -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTOLV_TESTS=ON -DTOLV_BENCH=ON -DTOLV_SANITIZE=ON -DTOLV_WERROR=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:check_initialization_order=1:strict_init_order=1" \
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
  ctest --test-dir "$san" --output-on-failure -j "$(nproc)"

# The test programs that run threads (the output, the PDF writer, the
# platform), once more under ThreadSanitizer, in a folder of their own: only
# they are built. tools/tsan.supp says which calls of the uninstrumented Qt
# are not watched, and why.
tsan="$TOLV_ROOT/build-tsan"
clang_folder "$tsan"
TOLV_BUILD="$tsan" TOLV_TARGETS="output_tests pdf_tests platform_tests" tolv_build \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DTOLV_TESTS=ON -DTOLV_BENCH=OFF -DTOLV_TSAN=ON -DTOLV_WERROR=ON \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
# Each test folder holds one program's cases: ctest runs them folder by folder.
for t in output pdf platform; do
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$TOLV_ROOT/tools/tsan.supp" \
    ctest --test-dir "$tsan/tests/$t" --output-on-failure -j "$(nproc)"
done
