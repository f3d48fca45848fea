#!/usr/bin/env bash
# Runs a Windows program in the project's headless Wine prefix (ctest's emulator).
here=$(cd "$(dirname "$0")" && pwd)
: "${QB_WINEPREFIX:=$here/../build/wineprefix}"
export WINEPREFIX=$QB_WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
