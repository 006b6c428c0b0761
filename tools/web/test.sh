#!/bin/bash
# The browser build's tests:
#   tools/web/test.sh BUILD_DIR
# builds the pages and the test suite for wasm, runs the suite and the
# examples under node through ctest, then the pages end to end in headless
# Chromium (tests/web/e2e.mjs, its DevTools client pinned by the lock file).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-build/web-test}")
jobs=$(nproc 2> /dev/null || echo 2)
"$root/tools/web/build.sh" "$build" -DEL_TESTS=ON || exit 1
status=0
(cd "$build" && ctest --output-on-failure -j "$jobs") || status=1
(cd "$root/tests/web" && npm ci --no-audit --no-fund --loglevel=error > /dev/null) || exit 1
timeout 600 node "$root/tests/web/e2e.mjs" "$build" "$root/tests/golden" "$build/e2e" || status=1
exit $status
