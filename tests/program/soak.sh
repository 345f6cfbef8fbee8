#!/usr/bin/env bash
# Starts Keymint's window over and over and stops it after a random while with SIGTERM, SIGINT or
# SIGHUP, while batches append to the same records file (some of them stopped too) and a busy
# loop loads the machine. Every stop must end the window with status 0 and no core; at the end
# every password a batch printed is on record and no record is cut short.
#   soak.sh KEYMINT [CYCLES] [RECORDS]
set -euo pipefail

keymint=$1
cycles=${2:-20}
records=${3:-100000}
work=$(mktemp -d)
load=
cleanup() {
    [ -n "$load" ] && kill "$load" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/program" "$work/home" "$work/run"
chmod 700 "$work/run"
cp "$keymint" "$work/program/"
cp -r "$(dirname "$keymint")/Language" "$work/program/"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_HOME=$work/home/.local/share QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY
program=$work/program/keymint
records_file=$work/program/sifreler.dat
printed=$work/printed

# The program itself must turn core dumps off, whatever limit it is started with.
ulimit -S -c "$(ulimit -H -c)"
"$program" --generate -n "$records" --length 12 >"$printed"
(while :; do :; done) &
load=$!

signals=(TERM INT HUP)
failures=0
for ((cycle = 1; cycle <= cycles; cycle++)); do
    "$program" 2>"$work/window.err" &
    window=$!
    "$program" --generate -n $((RANDOM % 5000 + 1)) --length 12 >>"$printed" &
    batch=$!
    # Not before the program runs its own code: until then a stop ends it as it ends any program.
    sleep "0.$((RANDOM % 7 + 3))$((RANDOM % 10))"
    signal=${signals[RANDOM % 3]}
    if ! grep -Eq 'Max core file size +0 +0' "/proc/$window/limits" 2>/dev/null; then
        echo "cycle $cycle: the window may leave a core dump" >&2
        failures=$((failures + 1))
    fi
    kill -s "$signal" "$window"
    if ((RANDOM % 3 == 0)); then
        kill -s "$signal" "$batch" 2>/dev/null || true
    fi
    status=0
    wait "$window" || status=$?
    if [ "$status" -ne 0 ]; then
        echo "cycle $cycle: the window ended with status $status after SIG$signal" >&2
        cat "$work/window.err" >&2
        failures=$((failures + 1))
    fi
    wait "$batch" || true
done

# A batch stopped while it printed may leave a part of a line: only whole passwords count.
grep -xE '.{12}' "$printed" | sort -u >"$work/wanted"
tr -d '\r' <"$records_file" | sort -u >"$work/on_record"
missing=$(comm -23 "$work/wanted" "$work/on_record" | wc -l)
short=$(tail -n +2 "$records_file" | tr -d '\r' | grep -cvxE '.{12}' || true)
cores=$(find "$work" -name 'core*' | wc -l)
[ "$(tail -c 2 "$records_file" | od -An -c | tr -d ' ')" = '\r\n' ] || short=$((short + 1))

echo "soak: $cycles cycles, $(wc -l <"$work/wanted") passwords printed," \
    "$missing not on record, $short records cut short, $failures bad stops, $cores cores"
[ "$missing" -eq 0 ] && [ "$short" -eq 0 ] && [ "$failures" -eq 0 ] && [ "$cores" -eq 0 ]
