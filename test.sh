#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless.
set -euo pipefail
source "$(dirname "$0")/tools/setup.sh"
tolv_install
tolv_build -DTOLV_TESTS=ON -DTOLV_BENCH=ON
export QT_QPA_PLATFORM=offscreen
# A short pass of each fuzzer over its seed corpus, when clang's libFuzzer is there.
if [ -x "$TOLV_ROOT/tests/fuzz/run.sh" ]; then
  "$TOLV_ROOT/tests/fuzz/run.sh" 5
fi
ctest --test-dir "$TOLV_BUILD" --output-on-failure -j "$(nproc)"
