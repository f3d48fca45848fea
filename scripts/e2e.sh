#!/usr/bin/env bash
# The end-to-end scenario: test_e2e.exe works the real Quillbarrow.exe as a
# user would, on a virtual screen (xvfb-run), in a Wine prefix of its own
# inside the build folder, never the user's ~/.wine.
#   e2e.sh BUILD_DIR [--shots=DIR] [gtest options]
# --shots=DIR saves PNGs of the windows the scenario asks for into DIR.
# QB_E2E_PREFIX picks another prefix, QB_E2E_DPI (default 96) its scale and
# QB_E2E_SCREEN (default 1024x768) the virtual screen's size.
set -euo pipefail
bin=$(cd "$1" && pwd)
shift
root=$(cd "$(dirname "$0")/.." && pwd)
dpi=${QB_E2E_DPI:-96}
prefix=${QB_E2E_PREFIX:-$bin/wineprefix-e2e}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "${QB_E2E_INNER:-}" ]; then
  command -v xvfb-run >/dev/null || { echo "xvfb-run is missing: run scripts/deps.sh" >&2; exit 1; }
  "$root/scripts/wineprefix.sh" "$prefix" x11
  # Every run sets the scale, so a prefix never keeps a stale one.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    </dev/null >/dev/null 2>&1
  wineserver -w
  export QB_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 ${QB_E2E_SCREEN:-1024x768}x24" "$0" "$bin" "$@"
fi

shots=
args=()
for a in "$@"; do
  case $a in
    --shots=*) shots=$(mkdir -p "${a#--shots=}" && cd "${a#--shots=}" && pwd)
               args+=("--shots=Z:${shots//\//\\}") ;;
    *) args+=("$a") ;;
  esac
done

work=$bin/e2e-scratch
mkdir -p "$work"
log=$work/driver.log
# Wine's helper processes inherit the first program's output and keep it
# open: a file, never ctest's pipe.
wine "$bin/test_e2e.exe" "${args[@]}" </dev/null >"$log" 2>&1 &
driver=$!
if [ -n "$shots" ]; then
  while kill -0 "$driver" 2>/dev/null; do
    if [ -f "$shots/request.txt" ]; then
      read -r name x y w h <"$shots/request.txt"
      import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$name.png"
      echo "saved $shots/$name.png"
      rm -f "$shots/request.txt"
    fi
    sleep 0.05
  done
fi
rc=0
wait "$driver" || rc=$?
cat "$log"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
exit $rc
