#!/usr/bin/env bash
# Builds and runs every test under Wine, ending with ctest's summary.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$root/$build/wineprefix
"$root/scripts/wineprefix.sh" "$prefix" null
export QB_WINEPREFIX=$prefix WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Warm Wine up once: with a persistent wineserver and one long-lived process,
# each test executable starts in well under a second.
wineserver -p
wine cmd /c "ping -n 3600 127.0.0.1 >NUL" </dev/null >/dev/null 2>&1 &
warm=$!
trap 'kill $warm 2>/dev/null || true; wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
sleep 1
cd "$root/$build"
ctest --output-on-failure ${CTEST_ARGS:-}
