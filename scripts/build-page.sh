#!/usr/bin/env bash
# Builds the web page, build/wasm/bin/quelvane.html: the core as WebAssembly with the page's
# script and worker, one self-contained file. Prints the page's path; fails (and prints nothing)
# without Emscripten or npm, which scripts/install-deps.sh installs.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v emcmake >/dev/null && command -v npm >/dev/null || exit 1
# Emscripten's optimiser runs under Node and needs Debian's acorn module.
export NODE_PATH=/usr/share/nodejs
# The web page's packages, exactly as web/package-lock.json pins them.
(cd web && npm ci --no-audit --no-fund >/dev/null)
emcmake cmake -S . -B build/wasm -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/wasm -j "$(nproc)" --target quelvane_page >/dev/null
echo "$PWD/build/wasm/bin/quelvane.html"
