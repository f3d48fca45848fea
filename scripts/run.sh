#!/usr/bin/env bash
# Starts the program under Wine. Without a display it runs on a virtual one
# (xvfb-run), saves a screenshot of the main window and prints its path.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$root/$build/wineprefix-x11
"$root/scripts/wineprefix.sh" "$prefix" x11
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exe=$root/$build/Quillbarrow.exe

if [ -n "${DISPLAY:-}" ]; then
  exec wine "$exe"
fi

shot=${SCREENSHOT:-$root/$build/quillbarrow-main.png}
echo "No display found: running Quillbarrow on a virtual screen (xvfb-run) for a screenshot."
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  wine "$1" >/dev/null 2>&1 &
  pid=$!
  for i in $(seq 1 100); do
    if xwininfo -root -tree 2>/dev/null | grep -q "Quillbarrow2012 for"; then break; fi
    sleep 0.2
  done
  sleep 1
  id=$(xwininfo -root -tree | grep "Quillbarrow2012 for" | head -1 | awk "{print \$1}")
  if [ -n "$id" ]; then import -window root -crop "$(xwininfo -id $id | awk "/Absolute upper-left X/{x=\$4}/Absolute upper-left Y/{y=\$4}/Width/{w=\$2}/Height/{h=\$2}END{print w\"x\"h\"+\"x\"+\"y}")" +repage "$2"
  else import -window root "$2"; fi
  wineserver -k >/dev/null 2>&1 || true
  wait $pid 2>/dev/null || true
' _ "$exe" "$shot"
wineserver -w 2>/dev/null || true
echo "Screenshot of the main window: $shot"
