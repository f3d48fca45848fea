#!/usr/bin/env bash
# The build machine's half of the tests: the platform-free logic under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short run of every
# fuzz target from its seeds.
#   scripts/host-test.sh [FUZZ_SMOKE_SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-host
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root/host" -B "$build" >/dev/null
fi
cmake --build "$build" -j"${JOBS:-2}" >/dev/null
rc=0
(cd "$build" && ctest --output-on-failure) || rc=1
echo "Fuzz smoke run:"
"$root/scripts/fuzz.sh" "${1:-3}" || rc=1
exit $rc
