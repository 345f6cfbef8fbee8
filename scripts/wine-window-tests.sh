#!/usr/bin/env bash
# Cross-builds the window test and runs it under Wine on a private X display, inside a Wine
# desktop of its own, with the Turkish ANSI code page (1254). With --screenshot PNG it renders
# the window into that file instead, at KEYMINT_SCREENSHOT_DPI dots per inch (96).
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
       cmake --build "$build" --target win32_window_tests keymint -j "${JOBS:-2}"; } >"$log" 2>&1; then
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

# Inside a Wine desktop, showing and hiding windows waits on no window manager. After the
# suite, the real program starts in a copy of its folder, and a second start must end by itself.
out=$build/tests/win32_window_tests.log
folder=$build/tests/program-folder
rm -rf "$folder" && mkdir -p "$folder" "$build/tests"
cp -r "$build/bin/keymint.exe" "$build/bin/Language" "$folder/"
xvfb-run -a -s "-screen 0 1280x1280x24" bash -c '
    wine=$1 tests=$2 folder=$3
    shift 3
    "$wine" wineboot -i </dev/null >/dev/null 2>&1
    desktop="HKCU\\Control Panel\\Desktop"
    if [ -n "${KEYMINT_SCREENSHOT:-}" ]; then
        "$wine" reg add "$desktop" /v LogPixels /t REG_DWORD /d "${KEYMINT_SCREENSHOT_DPI:-96}" \
            /f >/dev/null 2>&1
        "$wine" explorer /desktop=keymint-shot,1000x1200 "$tests" "$@" </dev/null 2>&1
        "$wine" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1
    else
        "$wine" explorer /desktop=keymint-tests,480x600 "$tests" "$@" </dev/null 2>&1
    fi
    if [ -z "${KEYMINT_SCREENSHOT:-}" ]; then
        # The places and the captions again at 144 and 192 dots per inch (150 % and 200 %):
        # the window grows with the screen, and no caption is cut off.
        for dpi in 144 192; do
            "$wine" reg add "$desktop" /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
            KEYMINT_TEST_DPI=$dpi "$wine" explorer /desktop=keymint-dpi,960x1200 "$tests" \
                --gtest_filter=*EveryControlLies*:*EveryCaptionFits* </dev/null 2>&1 |
                grep "^\[ *\(OK\|FAILED\) *\] .*(" |
                sed "s/Win32WindowTest\./Win32WindowTest.At${dpi}Dpi./"
        done
        "$wine" reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1
        cd "$folder"
        "$wine" explorer /desktop=keymint-first,480x600 keymint.exe </dev/null >/dev/null 2>&1 &
        # A cold prefix can take a while; the instance flag is taken when the window first
        # activates, just after the records file is made, so give it a moment beyond that.
        for _ in $(seq 300); do [ -f sifreler.dat ] && break; sleep 0.2; done
        sleep 2
        if timeout 60 "$wine" explorer /desktop=keymint-second,480x600 keymint.exe \
               </dev/null >/dev/null 2>&1 && [ -f sifreler.dat ]; then
            echo "[       OK ] keymint.exe.ASecondStartEndsByItself"
        else
            echo "[  FAILED  ] keymint.exe.ASecondStartEndsByItself (timeout)"
        fi
        # For scripts: passwords in the code page, one a CR LF line, and each one on record.
        printed=$(timeout 60 "$wine" keymint.exe --generate --length 10 --chars "£€ab" -n 3 \
                  </dev/null 2>/dev/null | LC_ALL=C od -An -v -tx1 | tr -d " \n")
        lines=$(printf %s "$printed" | grep -o "0d0a" | wc -l)
        if [ "$lines" -eq 3 ] && printf %s "$printed" | grep -Eq "^(((61|62|80|a3)){10}0d0a){3}$" &&
           printf %s "$printed" | sed "s/0d0a/\n/g" | while read -r line; do
               [ -z "$line" ] || LC_ALL=C od -An -v -tx1 sifreler.dat | tr -d " \n" |
                   sed "s/0d0a/\n/g" | grep -qx "$line" || exit 1
           done; then
            echo "[       OK ] keymint.exe.GeneratePrintsAndRecordsInTheCodePage"
        else
            echo "[  FAILED  ] keymint.exe.GeneratePrintsAndRecordsInTheCodePage ($printed)"
        fi
        # The way README.txt gives for a command prompt: cmd waits for a pipe, and it prints.
        piped=$(timeout 60 "$wine" cmd /c "keymint.exe --generate -n 2 | more" </dev/null \
                2>/dev/null | tr -d "\r" | grep -c .)
        if [ "$piped" -eq 2 ]; then
            echo "[       OK ] keymint.exe.GeneratePipedIntoMorePrintsAtAPrompt"
        else
            echo "[  FAILED  ] keymint.exe.GeneratePipedIntoMorePrintsAtAPrompt ($piped lines)"
        fi
    fi
    wineserver -k >/dev/null 2>&1 || true
' bash "$wine" "$build/tests/win32_window_tests.exe" "$folder" "${filter[@]}" | tr -d '\r' | tee "$out"

if [ "${1:-}" = "--screenshot" ]; then
    python3 "$root/scripts/bmp_to_png.py" "$WINEPREFIX/drive_c/keymint-window.bmp" "$2"
    exit 0
fi
passed=$(grep -c '^\[       OK \]' "$out" || true)
failed=$(grep -c '^\[  FAILED  \].*(' "$out" || true)
echo "wine window: $passed passed, $failed failed"
grep -q '^\[  PASSED  \]' "$out" && [ "$failed" -eq 0 ]
