#!/usr/bin/env bash
# make screenshots: the main window (direct and in use), the settings dialog,
# the About window and the tray menu as PNGs in docs/ (100 %) and docs/150/
# (150 %), taken while the end-to-end scenario runs, each scale in a Wine
# prefix of its own, on a screen tall enough for the settings dialog at 150 %.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
cmake --build "$root/$build" --target test_e2e -j"${JOBS:-2}"
QB_E2E_PREFIX=$root/$build/wineprefix-shots QB_E2E_DPI=96 QB_E2E_SCREEN=1600x1440 \
  "$root/scripts/e2e.sh" "$root/$build" --shots="$root/docs" >/dev/null
QB_E2E_PREFIX=$root/$build/wineprefix-shots150 QB_E2E_DPI=144 QB_E2E_SCREEN=1600x1440 \
  "$root/scripts/e2e.sh" "$root/$build" --shots="$root/docs/150" >/dev/null
ls "$root"/docs/*.png "$root"/docs/150/*.png
