#!/usr/bin/env bash
# Cross-builds the registry test suite for Windows with mingw-w64 and runs it against the real
# registry under Wine, in a private Wine prefix inside the build folder.
# Needs the packages of `scripts/deps.sh --wine`.
#   JOBS=n              parallel build jobs (2)
#   KEYMINT_WINE_BUILD  build folder (build-wine)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KEYMINT_WINE_BUILD:-$root/build-wine}
log=$build/build.log
mkdir -p "$build"

if ! { cmake -S "$root/platform/win32/wine-tests" -B "$build" \
           -DCMAKE_TOOLCHAIN_FILE="$root/platform/win32/mingw-w64-x86_64.cmake" \
           -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$build" --target registry_tests -j "${JOBS:-2}"; } >"$log" 2>&1; then
    cat "$log"
    echo "wine-tests: the Windows build failed" >&2
    exit 1
fi

export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer at start-up
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

# A persistent server for the whole run; stopped on every way out, or the caller hangs on it.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
"$wine" wineboot -i </dev/null >/dev/null 2>&1
set +e
"$wine" "$build/registry_tests.exe" </dev/null 2>&1 | tr -d '\r' | tee "$build/registry_tests.log"
status=${PIPESTATUS[0]}
set -e
passed=$(grep -c '^\[       OK \]' "$build/registry_tests.log" || true)
failed=$(grep -c '^\[  FAILED  \].*(' "$build/registry_tests.log" || true)
echo "wine: $passed passed, $failed failed"
exit "$status"
