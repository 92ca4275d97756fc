#!/usr/bin/env bash
# Installs what Quelvane needs, builds it and starts the viewer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what is started below: the two programs and the conversion modules they load at run time,
# not the tests and benchmarks (scripts/test.sh builds those). The window is left out where the
# configure step found no Qt 6.
targets=(quelvane-cli trnnls trnsdt)
if cmake --build build/release --target help | grep '^quelvane:' >/dev/null; then
  targets+=(quelvane)
fi
cmake --build build/release -j "$(nproc)" --target "${targets[@]}"

# The same viewer as one web page, to open in any browser (file://) or put on a web server.
if page="$(bash scripts/build-page.sh)"; then
  echo "The web page: file://$page"
else
  echo "The web page was not built (it needs emscripten and npm from scripts/install-deps.sh)." >&2
fi

if [ -x build/release/bin/quelvane ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting under xvfb-run (nothing will be visible)." >&2
    exec xvfb-run -a build/release/bin/quelvane "$@"
  fi
  exec build/release/bin/quelvane "$@"
fi

# Until the window exists, show what the reader makes of a real save file.
sample="${1:-../shared/savf/VCF_VCFV1R0.SAVF}"
exec build/release/bin/quelvane-cli tree "$sample"
