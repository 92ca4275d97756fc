#!/usr/bin/env bash
# Builds Quelvane twice and runs every test in both: a warnings-as-errors g++ build, and a clang
# build under AddressSanitizer and UndefinedBehaviorSanitizer that also runs the fuzz target for
# a bounded time. Then the core as WebAssembly, its bridge tested under Node against the first
# build's quelvane-cli.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each step's wall time, printed at the end: where a run's minutes went.
timings=()
step_started=$SECONDS
step_name=""
step() {
  [ -n "$step_name" ] && timings+=("$(printf '%5d s  %s' $((SECONDS - step_started)) "$step_name")")
  step_name="$1"
  step_started=$SECONDS
  [ -n "$step_name" ] && echo "== $step_name"
  return 0
}

step "packages"

QUELVANE_WITH_OFFICE=1 bash scripts/install-deps.sh

jobs=$(nproc)
# Paths relative to the checkout, so that the compiler cache serves any clone of it.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
export QT_QPA_PLATFORM=offscreen

step "g++ build, warnings as errors"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELVANE_WERROR=ON
cmake --build build/release -j "$jobs"
step "g++ build: tests"
ctest --test-dir build/release --output-on-failure -j "$jobs"

step "clang build, AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUELVANE_SANITIZE=ON -DQUELVANE_FUZZ=ON -DQUELVANE_WERROR=ON -DQUELVANE_BUILD_BENCHMARKS=OFF
cmake --build build/sanitize -j "$jobs"
step "clang build: tests"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build/sanitize --output-on-failure -j "$jobs"

step "npm packages of the page and the extension"
# Emscripten's optimiser runs under Node and needs Debian's acorn module.
export NODE_PATH=/usr/share/nodejs
# The packages exactly as a lock file pins them: the web page's (web/package-lock.json) and the
# VS Code extension's (vscode/package-lock.json, vsce among them). `npm ci` installs afresh each
# time; a stamp of the lock file it last installed from lets an unchanged one stand.
npm_ci() {
  if (cd "$1" && sha256sum --check --status node_modules/.quelvane-lock.sha256 2>/dev/null); then
    return 0
  fi
  (cd "$1" && npm ci --no-audit --no-fund && sha256sum package-lock.json > node_modules/.quelvane-lock.sha256)
}
npm_ci web
npm_ci vscode
step "WebAssembly build"
emcmake cmake -S . -B build/wasm -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELVANE_WERROR=ON \
  -DQUELVANE_NATIVE_CLI="$PWD/build/release/bin/quelvane-cli"
cmake --build build/wasm -j "$jobs"
step "the bridge under Node, the web page and the extension in Chromium"
# Each case drives its own Node or Chromium over file:// pages and folders of its own, so two run
# side by side.
ctest --test-dir build/wasm --output-on-failure -j "$jobs"
step ""
printf '%s\n' "== time taken, $SECONDS s in all" "${timings[@]}"
