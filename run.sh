#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tolvplan from the build tree.
# Arguments are passed to Tolvplan (the first one names the work directory).
set -euo pipefail
source "$(dirname "$0")/tools/setup.sh"
tolv_install
tolv_build -DTOLV_TESTS=OFF -DTOLV_BENCH=OFF
exec "$TOLV_BUILD/bin/Tolvplan" "$@"
