#!/usr/bin/env bash
# make bench: every speed figure next to its target, one table row each. The
# HTTP client's CPU cost while waiting, its fetch times under Wine next to
# curl's against the same loopback server, its wineserver round trips per fetch
# next to a plain blocking socket's and how soon it gives up on a header
# without end; the program's start-up measured from outside against two floor
# programs, its working set, and its CPU while the tray icon animates (on a
# virtual screen, scripts/bench-window.sh); the 5,000-entry list from the
# last byte to the list shown; the checks of 200 and 500 listed proxies on
# 127.0.0.1; the watch's soak of 1,000 asks.
# Never fails on a slow machine: the figures are for reading.
#   bench.sh BUILD_DIR   (the targets that make bench builds must be there)
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if ! command -v curl >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q curl
fi

prefix=$root/$build/wineprefix
"$root/scripts/wineprefix.sh" "$prefix" null
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

work=$(mktemp -d)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# HTTP/1.0 server on 127.0.0.1: bodies from memory, connection closed after
# each reply, the way the client expects.
python3 - "$work/port" <<'PY' &
import sys, http.server, socketserver
bodies = {"/16m": b"x" * (16 << 20), "/200k": b"y" * (200 << 10)}
class H(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    def do_GET(self):
        body = bodies.get(self.path)
        if body is None:
            self.send_error(404); return
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *a): pass
class S(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
s = S(("127.0.0.1", 0), H)
open(sys.argv[1], "w").write(str(s.server_address[1]))
s.serve_forever()
PY
server_pid=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port=$(cat "$work/port")

curl_times() {  # path runs -> "median best"
  for _ in $(seq "$2"); do
    curl -s -o /dev/null -w '%{time_total}\n' "http://127.0.0.1:$port$1"
  done | sort -n | awk '{t[NR]=$1} END {printf "%.4f %.4f\n", t[int((NR+1)/2)], t[1]}'
}
read -r c16_med c16_best < <(curl_times /16m 7)
read -r c200_med c200_best < <(curl_times /200k 21)

# Output to a file, not a pipe: a pipe on Wine's first process may never close.
# A bench case that fails leaves its figures out ("-"), and the run goes on.
QB_BENCH_PORT=$port wine "$root/$build/Bench.exe" --gtest_filter='HttpBench.*' \
  >"$work/out.txt" 2>&1 </dev/null || cat "$work/out.txt"
# One fetch of 200 KiB by the client and one by a plain blocking socket, with
# every wineserver request traced: the replies to the fetching thread between
# each pair of markers are that fetch's round trips. The wineserver reads
# WINEDEBUG when it starts, so the last run's one must be gone first.
wineserver -w
QB_BENCH_PORT=$port QB_BENCH_TRIPS=1 WINEDEBUG=+server wine "$root/$build/Bench.exe" \
  --gtest_filter='HttpBench.RoundTrips' >"$work/trips.txt" 2>&1 </dev/null || tail -n 20 "$work/trips.txt"
wineserver -w
trips() {
  awk -v b="QB_MARK $1 begin" -v e="QB_MARK $1 end" '
    index($0, e) { on = 0 }
    on && index($0, id ": ") == 1 && /^[0-9a-f]+: [a-z0-9_]+\(.*\) = / { n++ }
    index($0, b) { on = 1; seen = 1; id = $NF; sub(/\r$/, "", id) }
    END { if (seen) print n + 0 }' "$work/trips.txt"
}
trips_client=$(trips client)
trips_plain=$(trips plain)
wine "$root/$build/Bench.exe" --gtest_filter='AppBench.*' \
  >"$work/app.txt" 2>&1 </dev/null || cat "$work/app.txt"
QB_BENCH_CHECK=1 wine "$root/$build/Bench.exe" --gtest_filter='CheckBench.*' \
  >"$work/check.txt" 2>&1 </dev/null || cat "$work/check.txt"
: >"$work/window.txt"
"$root/scripts/bench-window.sh" "$build" "$work/window.txt" || true
val() {
  awk -v k="$1" '$1=="BENCH" && $2==k {print $3}' "$work/out.txt" "$work/app.txt" "$work/check.txt" \
    "$work/window.txt"
}
mib() { local v; v=$(val "$1"); [ -z "$v" ] || awk -v v="$v" 'BEGIN {printf "%.1f", v / 1024}'; }

# One row per figure: measure, ours, the peer's ("-" when there is none), target.
printf '\n%-52s %12s %12s %8s %8s\n' "measure" "Quillbarrow" "peer" "ratio" "target"
row() {
  local ours=${2:--} peer=${3:--} ratio=-
  [ "$ours" != - ] && [ "$peer" != - ] && ratio=$(awk -v a="$ours" -v b="$peer" 'BEGIN {printf "%.2f", a / b}')
  printf '%-52s %12s %12s %8s %8s\n' "$1" "$ours" "$peer" "$ratio" "$4"
}
row "CPU s while Get waits 3 s (silent server)" "$(val wait_cpu_s)" - "<0.1"
row "16 MiB fetch, median s (peer: curl)" "$(val fetch16m_median_s)" "$c16_med" "<2"
row "16 MiB fetch, best s (peer: curl)" "$(val fetch16m_best_s)" "$c16_best" "<2"
row "200 KiB fetch, median s (peer: curl)" "$(val fetch200k_median_s)" "$c200_med" "<1.3"
row "200 KiB fetch, best s (peer: curl)" "$(val fetch200k_best_s)" "$c200_best" "<1.3"
row "200 KiB by a plain blocking socket, median s (curl)" "$(val fetch200k_plain_median_s)" "$c200_med" "-"
row "Wineserver round trips per 200 KiB fetch (peer: plain)" "$trips_client" "$trips_plain" "+20 max"
row "Header lines without end: Get gives up after, median s" "$(val header_flood_median_s)" - "<0.1"
row "A header line every 0.1 s, 2 s time-out: gives up after, s" "$(val header_trickle_s)" - "<3"
row "Start to window shown, ms (peer: same controls)" "$(val start_program_ms)" "$(val start_controls_ms)" "<1.10"
row "Start to window shown, ms (peer: empty window)" "$(val start_program_ms)" "$(val start_empty_ms)" "-"
row "Same-controls floor, ms (peer: empty window)" "$(val start_controls_ms)" "$(val start_empty_ms)" "-"
row "Main window's own part in process, median ms" "$(val start_median_ms)" - "-"
row "Working set after start, MiB (peer: same controls)" "$(mib ws_start_program_kib)" "$(mib ws_start_controls_kib)" "<1.25"
row "Working set after 5,000-entry Get Proxy, MiB (same)" "$(mib ws_list_kib)" "$(mib ws_start_controls_kib)" "<1.50"
row "5,000 entries: last byte to list, median ms" "$(val list5000_median_ms)" - "<100"
row "5,000 entries: last byte to list, best ms" "$(val list5000_best_ms)" - "<100"
row "CPU s over 10 s while the tray icon animates" "$(val tray_cpu_s)" - "<0.1"
row "Check of 200 proxies, half silent, s (peer: floor)" "$(val check200_s)" "$(val check200_floor_s)" "<1.10"
row "CPU s of that check (its thread)" "$(val check200_cpu_s)" - "<0.2"
row "Check of 500 proxies, 300 silent, 3 s bound, s (floor)" "$(val check500_s)" "$(val check500_floor_s)" "<=9 s"
row "CPU s of that check (its thread)" "$(val check500_cpu_s)" - "<1"
row "Watch soak: 1,000 asks at 1 ms, s" "$(val watch1000_s)" - "-"
row "Watch soak: handles after (peer: before)" "$(val watch_handles_after)" "$(val watch_handles_before)" "<=1.00"
row "Watch soak: open host files after (peer: before)" "$(val watch_files_after)" "$(val watch_files_before)" "<=1.00"
echo "(wait wall time $(val wait_wall_s) s. Fetch times are measured inside the exe, Wine start-up excluded;"
echo " the plain blocking socket (connect, one send, receive until the close) is the floor under Wine."
echo " Start-up: medians of $(grep -c ' program ' "$work/window.txt" 2>/dev/null || echo 0) starts each, taken in turn, from just before"
echo " CreateProcess to a visible window of the process, seen from a second process that looks every"
echo " millisecond (Xvfb, an X11 prefix of the build folder, warm Wine). The floors: an empty window;"
echo " the main window's native work written plainly (its 20 controls and status bar in the Japanese UI"
echo " font, an image list of 7 images from one bitmap, a tray icon). The own part in process: construct,"
echo " show and first paint under the null display driver. Working sets are the processes' resident memory.)"
echo "(check floors: the silent proxies, 256 at a time, each hold their place for the whole bound; the last"
echo " entry opens no sooner than 64 connections per 100 ms allow. The 500-entry list: 100 answering,"
echo " 100 refused, 300 silent, each on a port of its own, timed from the start of the check, which the"
echo " list's last byte starts at once)"
echo "(watch soak: every other ask fails, the watch starts afresh every 100 asks; counted after 20 asks"
echo " and again after 1,000 more, each time with the stand-in's connections closed. Window timers run"
echo " no faster than every 10 ms, so the 1 ms interval is 10 ms. Host files: Wine's /proc/self/fd)"
