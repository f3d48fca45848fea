#!/usr/bin/env bash
# Shows Get Proxy working with no internet: runs the sample list provider on
# 127.0.0.1 and the program from demo/, with a settings file of its own there,
# so the user's own settings stay untouched. The list holds three stand-in
# proxies on 127.0.0.1 (one that answers, a port nobody listens on, one that
# never answers), so the check of the list shows all three kinds of result.
# Without a display it runs on a virtual screen (xvfb-run), presses Get Proxy
# itself, drops the list down once the check is over and saves a screenshot.
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/$build
prefix=$bin/wineprefix-x11
demo=$root/demo
shot=${SCREENSHOT:-$bin/quillbarrow-demo.png}
# The project's own X11 prefix, never the user's ~/.wine.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "${QB_DEMO_INNER:-}" ]; then
  cmake --build "$bin" --target Quillbarrow SampleProvider PressButton -j"${JOBS:-2}"
  "$root/scripts/wineprefix.sh" "$prefix" x11
  if [ -z "${DISPLAY:-}" ]; then
    echo "No display found: running the demo on a virtual screen (xvfb-run) for a screenshot."
    # The provider must start under the same display as the window: a
    # wineserver begun without one cannot create windows later.
    export QB_DEMO_INNER=headless
    xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
    wineserver -w 2>/dev/null || true
    echo "Screenshot of the dropped-down list after the check: $shot"
    exit 0
  fi
  export QB_DEMO_INNER=display
fi

mkdir -p "$demo"
cp "$bin/Quillbarrow.exe" "$demo/"
log=$demo/provider.log
: >"$log"
wine "$bin/SampleProvider.exe" --proxies >"$log" 2>&1 &
provider=$!
trap 'kill "$provider" 2>/dev/null || true' EXIT

# The provider prints its port on its first line once it listens.
port=
for _ in $(seq 1 300); do
  port=$(head -n 1 "$log" | tr -dc '0-9')
  [ -n "$port" ] && break
  kill -0 "$provider" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$port" ]; then
  echo "The sample provider did not start:" >&2
  cat "$log" >&2
  exit 1
fi
echo "Sample provider on 127.0.0.1:$port (requests are logged in $log)"

# Option 0 (All Proxy) so that every entry of the page is listed; an empty
# CYBER/USERID makes the program use the credentials that the provider
# publishes on its ID page; the proxy that never answers is given up after
# 3 seconds.
address=127.0.0.1:$port
printf '%s\r\n' \
  "[URL]" \
  "ANONYMOUS=$address/pla5.html" \
  "NONANONYMOUS=$address/pld5.html" \
  "SPEEDRANK=$address/plr5.html" \
  "IDPASS=$address/idpass.html" \
  "[CYBER]" \
  "USERID=" \
  "PASSWORD=" \
  "[SERVER]" \
  "TYPE=0" \
  "ANYOPTION=0" \
  "[TIMEOUT]" \
  "PROXY=3" \
  >"$demo/Quillbarrow.ini"

if [ "$QB_DEMO_INNER" = display ]; then
  echo "Press Get Proxy in the window, then open the list to see which proxies answer; close it to end the demo."
  wine "$demo/Quillbarrow.exe"
  exit 0
fi

wine "$demo/Quillbarrow.exe" >/dev/null 2>&1 &
app=$!
if ! wine "$bin/PressButton.exe" "Quillbarrow2012 for" "Get Proxy (&G)" 60 >/dev/null 2>&1; then
  echo "The main window did not appear." >&2
fi
# Wait for the list page's answer, then for the check of its entries (the
# silent one ends at 3 s), then drop the list down.
for _ in $(seq 1 100); do
  grep -q ' /pl[adr]5.html' "$log" && break
  sleep 0.1
done
sleep 4
wine "$bin/PressButton.exe" "Quillbarrow2012 for" --drop 1 >/dev/null 2>&1 || echo "The list did not drop down." >&2
sleep 1
cat "$log"
id=$(xwininfo -root -tree | grep "Quillbarrow2012 for" | head -1 | awk '{print $1}')
if [ -n "$id" ]; then
  import -window root -crop "$(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4}/Absolute upper-left Y/{y=$4}/Width/{w=$2}/Height/{h=$2}END{print w"x"h"+"x"+"y}')" +repage "$shot"
else
  import -window root "$shot"
fi
wineserver -k >/dev/null 2>&1 || true
wait "$app" 2>/dev/null || true
