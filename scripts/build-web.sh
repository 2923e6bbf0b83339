#!/usr/bin/env bash
# Builds the web page here, with Debian's clang for wasm32-wasi, binaryen
# and Node.js (installs them if missing); prints where it is. The one file
# runs offline: open it in a browser or copy it to any static web host.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh web
cmake --preset web >/dev/null
cmake --build --preset web --target quadrangler_page
ls -l build/web/bin/quadrangler.html
