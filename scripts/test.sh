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
wineserver -p 2>/dev/null || true  # already running is fine
wine cmd /c "ping -n 3600 127.0.0.1 >NUL" </dev/null >/dev/null 2>&1 &
warm=$!
trap 'kill $warm 2>/dev/null || true; wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true' EXIT
# Wine's helper processes (services, the desktop) start with the first
# program that needs them and keep that program's stdout and stderr open. Start
# them here with ours on /dev/null, or ctest waits on a pipe that never closes.
first=$(ls "$root/$build"/test_*.exe 2>/dev/null | head -n 1)
[ -n "$first" ] && wine "$first" --gtest_filter=-* </dev/null >/dev/null 2>&1 || true
cd "$root/$build"
ctest --output-on-failure ${CTEST_ARGS:-}
