#!/usr/bin/env bash
# Installs the Debian 12 packages Quelvane needs to build, test and run. Safe to run again:
# it only asks apt for what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libicu-dev libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev sqlite3 ccache git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  xvfb xauth python3 python3-xlrd dpkg-dev postgresql
  emscripten nodejs npm chromium
)
if [ "${QUELVANE_WITH_OFFICE:-0}" = 1 ]; then
  # The office cases convert exports with LibreOffice and read its PDF pages with pdftotext.
  packages+=(libreoffice-writer-nogui libreoffice-calc-nogui poppler-utils)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" && continue
  # A Node.js not from Debian (NodeSource's nodejs package) carries its own npm and conflicts
  # with Debian's npm package: an npm that runs is enough.
  [ "$p" = npm ] && command -v npm >/dev/null && continue
  missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
