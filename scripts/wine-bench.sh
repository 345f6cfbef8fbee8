#!/usr/bin/env bash
# The Windows window's benchmarks under Wine, on a private X display inside a Wine desktop:
# start-up against a bare window with a tab control and against a bare window holding the same
# controls as Keymint's, and the Records tab filled from a million records, against 1 s and
# against the Linux window's figure when build/bench holds it. Each figure is the median of RUNS
# processes (5), the start-ups taken in turns.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KEYMINT_WINE_BUILD:-$root/build-windows}
runs=${RUNS:-5}
cd "$root"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
{ cmake --preset windows -B "$build" "${launcher[@]}" &&
  cmake --build "$build" --target win32_window_bench -j "${JOBS:-2}"; } >"$build/bench-build.log" 2>&1 ||
    { cat "$build/bench-build.log"; exit 1; }

export WINEPREFIX=$build/wineprefix-window WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || command -v wine)
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -u /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

results=$build/bench/results.txt
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    wine=$1 bench=$2 runs=$3
    "$wine" wineboot -i </dev/null >/dev/null 2>&1
    # One desktop for the whole run, so no start pays for creating it.
    "$wine" explorer /desktop=keymint-bench,480x600 >/dev/null 2>&1 &
    sleep 3
    for i in $(seq "$runs"); do
        for mode in startup-reference startup-controls startup; do
            echo "$mode $("$wine" explorer /desktop=keymint-bench "$bench" "$mode" </dev/null 2>/dev/null | tr -d "\r")"
        done
        echo "records $("$wine" explorer /desktop=keymint-bench "$bench" records 1000000 </dev/null 2>/dev/null | tr -d "\r")"
    done
    wineserver -k >/dev/null 2>&1 || true
' bash "$wine" "$build/bench/win32_window_bench.exe" "$runs" >"$results"

median() { grep "^$1 " "$results" | awk '{print $2}' | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
reference=$(median startup-reference)
controls=$(median startup-controls)
keymint=$(median startup)
records=$(median records)
echo "start-up to the window shown: Keymint $keymint ms, bare window with a tab control $reference ms"
awk -v k="$keymint" -v r="$reference" 'BEGIN {printf "  ratio %.2fx (target <= 1.3x)\n", k / r}'
echo "  a bare window holding Keymint's controls, plainly made: $controls ms"
awk -v k="$keymint" -v r="$controls" 'BEGIN {printf "  ratio %.2fx\n", k / r}'
echo "Records tab from 1,000,000 records: $records ms (target <= 1000 ms)"
linux=$root/build/bench/records_bench
if [ -x "$linux" ]; then
    figure=$(KEYMINT_BENCH_MAX_RECORDS=1000000 QT_QPA_PLATFORM=offscreen "$linux" 2>/dev/null |
        awk -F'|' '$1 ~ /^Records tab shown +1000000 / {split($2, f, " "); print f[1]}')
    [ -n "$figure" ] && awk -v w="$records" -v l="$figure" \
        'BEGIN {printf "  against the Linux window in this run (%s ms): %.2fx (target <= 1.5x)\n", l, w / l}'
fi
