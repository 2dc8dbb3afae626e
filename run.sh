#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tolvplan from the build tree.
# Arguments are passed to Tolvplan (the first one names the work directory).
set -euo pipefail
# Tolvplan is a desktop program: without a graphical session Qt cannot open
# its window, so nothing is installed or built in vain.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no graphical session (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
  echo "Tolvplan needs a desktop; run ./run.sh from a terminal of one. ./test.sh needs none." >&2
  exit 1
fi
source "$(dirname "$0")/tools/setup.sh"
tolv_install
tolv_build -DTOLV_TESTS=OFF -DTOLV_BENCH=OFF
exec "$TOLV_BUILD/bin/Tolvplan" "$@"
