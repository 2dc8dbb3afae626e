#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, then configures
# and builds. Sourced by run.sh and test.sh; a prepared machine starts fast
# because only missing packages are installed.
set -euo pipefail

TOLV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TOLV_BUILD="${TOLV_BUILD:-$TOLV_ROOT/build}"

tolv_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libjpeg62-turbo-dev zlib1g-dev
  libfreetype-dev libfontconfig-dev libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation fonts-urw-base35
  qpdf poppler-utils mupdf-tools ghostscript xvfb xauth libjpeg-turbo-progs clang
  libclang-rt-14-dev locales imagemagick qt6-translations-l10n libsqlite3-dev cups cups-client
  printer-driver-cups-pdf xdotool)

tolv_install() {
  local missing=()
  for p in "${tolv_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  # The number formatting tests run under a German locale.
  if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen 2>/dev/null || true
    $sudo locale-gen >/dev/null 2>&1 || true
  fi
}

# TOLV_TARGETS, when set, names the only targets to build (blank-separated).
tolv_build() {
  cmake -S "$TOLV_ROOT" -B "$TOLV_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
  cmake --build "$TOLV_BUILD" -j "$(nproc)" ${TOLV_TARGETS:+--target $TOLV_TARGETS}
}
