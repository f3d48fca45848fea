#!/usr/bin/env bash
# make test: the Windows tests under Wine, then the host tests under the
# sanitizers and a fuzz smoke run. Ends with one line that sums them up.
set -uo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
log=$(mktemp)
trap 'rm -f "$log"' EXIT
rc=0
# The house format (.clang-format) is part of the check.
if command -v clang-format >/dev/null; then
  (cd "$root" && git ls-files -z 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'tools/*.cpp' 'host/*.cpp' 'host/*.h' |
     xargs -0 clang-format --dry-run --Werror) || { echo "format: files differ from .clang-format (make format)"; rc=1; }
fi
"$root/scripts/test.sh" "$build" 2>&1 | tee -a "$log" || rc=1
"$root/scripts/host-test.sh" 2>&1 | tee -a "$log" || rc=1
# ctest prints "N% tests passed, F tests failed out of T" per project.
read -r passed failed < <(awk '/tests passed, .* tests failed out of/ {
    t = $NF; f = $(NF-5); p += t - f; q += f } END { print p + 0, q + 0 }' "$log")
crashes=$(awk '/executions/ && / crashes/ { for (i = 1; i < NF; i++) if ($(i+1) == "crashes") c += $i } END { print c + 0 }' "$log")
failed=$((failed + crashes))
[ "$rc" -ne 0 ] && [ "$failed" -eq 0 ] && failed=1
echo "tests: $passed passed, $failed failed"
exit $rc
