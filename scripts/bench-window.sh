#!/usr/bin/env bash
# The window figures of make bench, on a virtual screen in an X11 Wine prefix
# of the build folder (never the user's ~/.wine): start-up of the program
# against two floor programs, started in turn under the same prefix and
# display; the program's working set after start and after a 5,000-entry Get
# Proxy from the sample provider on 127.0.0.1; its CPU while the tray icon
# animates. The program runs from scratch folders with settings files of
# their own. Prints "BENCH <key> <value>" lines into OUT.
#   bench-window.sh BUILD_DIR OUT
set -euo pipefail
bin=$(cd "$1" && pwd)
out=$2
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${QB_BENCH_START_RUNS:-15}
prefix=$bin/wineprefix-bench
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "${QB_BENCH_INNER:-}" ]; then
  "$root/scripts/wineprefix.sh" "$prefix" x11
  export QB_BENCH_INNER=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
provider=""
cleanup() {
  [ -n "$provider" ] && kill "$provider" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
winpath() { echo "Z:${1//\//\\}"; }

# Warm Wine, as a user's session is: a running wineserver and its helpers.
wineserver -p 2>/dev/null || true
wine cmd /c "ping -n 3600 127.0.0.1 >NUL" </dev/null >/dev/null 2>&1 &
sleep 2
clock() { wine "$bin/StartClock.exe" "$@" </dev/null >>"$out" 2>>"$work/clock.err" || cat "$work/clock.err" >&2; }
ie='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
reg() { wine reg "$@" </dev/null >/dev/null 2>&1 || true; }

# Start-up: no settings file, a direct connection, as a first start.
mkdir -p "$work/start"
cp "$bin/Quillbarrow.exe" "$work/start/"
reg add "$ie" /v ProxyEnable /t REG_DWORD /d 0 /f
clock start "$runs" "empty=BenchEmptyWindow=$(winpath "$bin/EmptyWindow.exe")" \
  "controls=BenchSameControls=$(winpath "$bin/SameControls.exe")" \
  "program=QuillbarrowForm=$(winpath "$work/start/Quillbarrow.exe")"

# A 5,000-entry Get Proxy. The listed addresses are not checked: they are
# documentation addresses, and the program connects to nothing beyond
# 127.0.0.1 here.
wine "$bin/SampleProvider.exe" --open --entries 5000 >"$work/provider.log" 2>&1 </dev/null &
provider=$!
port=
for _ in $(seq 1 300); do
  port=$(head -n 1 "$work/provider.log" | tr -dc '0-9')
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -n "$port" ]; then
  mkdir -p "$work/list"
  cp "$bin/Quillbarrow.exe" "$work/list/"
  printf '%s\r\n' "[URL]" "ANONYMOUS=127.0.0.1:$port/pla5.html" "IDPASS=127.0.0.1:$port/idpass.html" \
    "[SERVER]" "TYPE=0" "ANYOPTION=0" "[CHECK]" "ENABLE=0" >"$work/list/Quillbarrow.ini"
  clock list "QuillbarrowForm=$(winpath "$work/list/Quillbarrow.exe")" 5000
else
  echo "the sample provider did not start" >&2
fi

# The tray icon animates while the browser uses a proxy.
reg add "$ie" /v ProxyEnable /t REG_DWORD /d 1 /f
reg add "$ie" /v ProxyServer /t REG_SZ /d 127.0.0.1:1 /f
clock animate "QuillbarrowForm=$(winpath "$work/start/Quillbarrow.exe")" 10
reg add "$ie" /v ProxyEnable /t REG_DWORD /d 0 /f
