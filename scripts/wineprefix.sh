#!/usr/bin/env bash
# Creates a project-local Wine prefix (never the user's ~/.wine).
#   wineprefix.sh DIR null   - Wine's null graphics driver, for headless tests
#   wineprefix.sh DIR x11    - the X11 driver, for runs under xvfb-run
set -euo pipefail
dir=$1 mode=$2
export WINEPREFIX=$dir WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$dir/.qb-ready" ] && exit 0
mkdir -p "$dir"
echo "Setting up Wine prefix $dir ($mode)"
wineboot -u >/dev/null 2>&1 || true
if [ "$mode" = null ]; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
else
  # Unmanaged windows: without a window manager each managed window costs seconds.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
fi
# Japanese glyphs in system-drawn text.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
  /v Tahoma /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null 2>&1
# The UI font's face name maps to the proportional IPA font, as on a Japanese
# system where the proportional face is installed.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f >/dev/null 2>&1
wineserver -w
touch "$dir/.qb-ready"
