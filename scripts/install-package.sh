#!/usr/bin/env bash
# Builds the programs alone (no tests, no benchmarks), packs them into a Debian package and
# installs it with apt, which brings in the runtime packages it depends on.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
# The web page goes into the package (/usr/share/quelvane/web/) when it can be built here.
page="$(bash scripts/build-page.sh)" || page=""
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DQUELVANE_BUILD_TESTS=OFF -DQUELVANE_BUILD_BENCHMARKS=OFF -DQUELVANE_WEB_PAGE="$page"
cmake --build build/package -j "$(nproc)"
(cd build/package && cpack -G DEB)

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
deb="$(ls build/package/quelvane_*.deb | tail -n 1)"
DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y "./$deb"
echo "Installed: start it with 'quelvane', or 'quelvane-cli --help'."
[ -z "$page" ] || echo "The web page: file:///usr/share/quelvane/web/quelvane.html"
