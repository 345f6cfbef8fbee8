#!/usr/bin/env bash
# Cross-builds the plain C++ suites (app, ini, registry) and the Win32 services' tests with
# mingw-w64 and runs them under Wine with the Turkish ANSI code page (1254), in a private Wine
# prefix inside the build folder. POSIX by nature, and so left to the Linux run: the records
# crash test (fork and SIGKILL), the SQLite registry store's tests and the POSIX services' tests.
# Needs the packages of `scripts/deps.sh --wine`.
#   JOBS=n              parallel build jobs (2)
#   KEYMINT_WINE_BUILD  build folder (build-windows)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KEYMINT_WINE_BUILD:-$root/build-windows}
log=$build/build.log
suites=(win32_tests ini_tests registry_tests app_tests)
mkdir -p "$build"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if ! { cd "$root" && cmake --preset windows -B "$build" "${launcher[@]}" &&
       cmake --build "$build" --target "${suites[@]}" -j "${JOBS:-2}"; } >"$log" 2>&1; then
    cat "$log"
    echo "wine-tests: the Windows build failed" >&2
    exit 1
fi

export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer at start-up
export LANG=tr_TR.UTF-8 LC_ALL=tr_TR.UTF-8 KEYMINT_TEST_CODE_PAGE=1254
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

# A persistent server for the whole run; stopped on every way out, or the caller hangs on it.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
"$wine" wineboot -i </dev/null >/dev/null 2>&1

status=0
passed=0
failed=0
for suite in "${suites[@]}"; do
    out=$build/tests/$suite.log
    set +e
    "$wine" "$build/tests/$suite.exe" </dev/null 2>&1 | tr -d '\r' | tee "$out"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    set -e
    passed=$((passed + $(grep -c '^\[       OK \]' "$out" || true)))
    failed=$((failed + $(grep -c '^\[  FAILED  \].*(' "$out" || true)))
done
echo "wine: $passed passed, $failed failed"
exit "$status"
