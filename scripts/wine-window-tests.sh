#!/usr/bin/env bash
# Cross-builds the window test and runs it under Wine on a private X display, inside a Wine
# desktop of its own, with the Turkish ANSI code page (1254). With --screenshot PNG it renders
# the window into that file instead.
# Needs the packages of `scripts/deps.sh --wine`.
#   JOBS=n              parallel build jobs (2)
#   KEYMINT_WINE_BUILD  build folder (build-windows)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KEYMINT_WINE_BUILD:-$root/build-windows}
log=$build/window-build.log
mkdir -p "$build"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if ! { cd "$root" && cmake --preset windows -B "$build" "${launcher[@]}" &&
       cmake --build "$build" --target win32_window_tests -j "${JOBS:-2}"; } >"$log" 2>&1; then
    cat "$log"
    echo "wine-window-tests: the Windows build failed" >&2
    exit 1
fi

export WINEPREFIX=$build/wineprefix-window WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer at start-up
export LANG=tr_TR.UTF-8 KEYMINT_TEST_CODE_PAGE=1254
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
filter=()
if [ "${1:-}" = "--screenshot" ]; then
    export KEYMINT_SCREENSHOT='C:\keymint-window.bmp'
    filter=(--gtest_filter=Win32WindowTest.Screenshot)
fi

# Wine looks for its own fonts (Tahoma, Marlett, MS Sans Serif) in the prefix's font folder.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -u /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

# Inside a Wine desktop, showing and hiding windows waits on no window manager.
out=$build/tests/win32_window_tests.log
mkdir -p "$build/tests"
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
    "$1" wineboot -i </dev/null >/dev/null 2>&1
    "$1" explorer /desktop=keymint-tests,480x600 "$2" "$3" </dev/null 2>&1
    "${1%/*}/wineserver" -k >/dev/null 2>&1 || wineserver -k >/dev/null 2>&1 || true
' sh "$wine" "$build/tests/win32_window_tests.exe" "${filter[@]}" | tr -d '\r' | tee "$out"

if [ "${1:-}" = "--screenshot" ]; then
    python3 "$root/scripts/bmp_to_png.py" "$WINEPREFIX/drive_c/keymint-window.bmp" "$2"
    exit 0
fi
passed=$(grep -c '^\[       OK \]' "$out" || true)
failed=$(grep -c '^\[  FAILED  \].*(' "$out" || true)
echo "wine window: $passed passed, $failed failed"
grep -q '^\[  PASSED  \]' "$out" && [ "$failed" -eq 0 ]
