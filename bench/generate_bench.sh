#!/usr/bin/env bash
# `keymint --generate -n 100000` against `pwgen -s 8 100000`, both in this run, into an empty
# records file and into one of 1,000,000 records. Keymint's time includes reading the records,
# the no-repeat check and appending every new password. Prints the ratios (target: <= 2).
# Then, into 10,000,000 records: `--generate -n 1000` against `grep -cxFf` of the same 1,000
# candidates over the same file (targets: time <= 1.5x, peak memory <= 64 MB), and the peak
# memory of `--generate -n 1000000` (target: <= 24 bytes per record on file and per password
# drawn, plus 64 MB). KEYMINT_BENCH_MAX_RECORDS below 10000000 leaves these out.
# Between the two: the generator's options against pwgen and shuf (below), and `--private on`
# over 1,000,000 records (target: <= 3 s). Private records, into 10,000,000 of them:
# `--generate -n 1000` against the same into the same records in plain form (targets: time
# <= 1.2x, peak memory <= 64 MB).
# Private records need a keyring: the whole run goes on a private session bus where
# gnome-keyring is started, so that plain and private records run alike.
set -euo pipefail
if [ "${KEYMINT_BENCH_BUS:-}" != 1 ]; then
  exec env KEYMINT_BENCH_BUS=1 dbus-run-session \
    --config-file="$(dirname "$0")/../tests/program/session-bus.conf" -- "$0" "$@" \
    2> >(grep -v 'fd limit' >&2)
fi
cd "$(dirname "$0")/.."
count=100000
rounds=3

if ! command -v pwgen >/dev/null || [ ! -x /usr/bin/time ]; then
  if [ "$(id -u)" -eq 0 ]; then apt-get -qq update && apt-get -qq install -y pwgen time >/dev/null
  else sudo apt-get -qq update && sudo apt-get -qq install -y pwgen time >/dev/null; fi
fi
[ -x build/bin/keymint ] || cmake --build build --target keymint -j2 >/dev/null

work=$(mktemp -d)
keyring_pid=
cleanup() {
  if [ -n "$keyring_pid" ]; then kill "$keyring_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
# The keyring keeps its files here, never in the user's own.
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
  XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
gnome-keyring-daemon --foreground --components=secrets --unlock <<< "bench" >/dev/null 2>&1 &
keyring_pid=$!
for tries in $(seq 101); do
  if dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
      org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
      grep -q 'boolean true'; then
    break
  fi
  [ "$tries" -le 100 ] || { echo "gnome-keyring-daemon did not come up" >&2; exit 1; }
  sleep 0.1
done
# The records file lies in the program folder: a copy of the program gets a folder of its own.
cp build/bin/keymint "$work/keymint"
printf 'temppass\r\n' >"$work/empty.dat"
{ printf 'temppass\r\n'; pwgen -s 8 1000000 | sed 's/$/\r/'; } >"$work/million.dat"

now() { date +%s%N; }
# Best of the rounds, in milliseconds; the records file is fresh for each round.
best_of() {
  local records=$1 best=
  shift
  for _ in $(seq "$rounds"); do
    # On the disk before the clock starts: the first flush of ours must not write the copy.
    [ -z "$records" ] || { cp "$work/$records" "$work/sifreler.dat" && sync -- "$work/sifreler.dat"; }
    local start end
    start=$(now)
    "$@" >/dev/null
    end=$(now)
    local ms=$(( (end - start) / 1000000 ))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}

pwgen_ms=$(best_of "" pwgen -s 8 "$count")
for records in empty million; do
  ours=$(best_of "$records.dat" "$work/keymint" --generate -n "$count")
  lines=$(wc -l <"$work/sifreler.dat")
  ratio=$(awk -v a="$ours" -v b="$pwgen_ms" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 1) }')
  printf '%-8s records: keymint %5d ms, pwgen %5d ms, ratio %s (file now %d lines)\n' \
    "$records" "$ours" "$pwgen_ms" "$ratio" "$lines"
done

# The generator's options, into an empty records file: every class at least once against pwgen's
# -c -n -y (target: <= 1), and six-word passphrases from the shipped list against shuf and paste
# over the same words (target: <= 1.5).
cp -r build/bin/Language "$work/Language"
cut -f2 "$work/Language/words.txt" >"$work/words"
row() {
  local name=$1 ours=$2 theirs=$3 reference=$4 target=$5
  printf '%-30s keymint %5d ms, %s %5d ms, ratio %s (target <= %s)\n' "$name" "$ours" "$reference" \
    "$theirs" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 1) }')" \
    "$target"
}
row "--every-class -n $count" "$(best_of empty.dat "$work/keymint" --generate -n "$count" --every-class)" \
  "$(best_of "" pwgen -s -c -n -y 8 "$count")" "pwgen -s -c -n -y" 1
row "--words 6 -n $count" "$(best_of empty.dat "$work/keymint" --generate --words 6 -n "$count")" \
  "$(best_of "" sh -c "shuf -r -n $((count * 6)) '$work/words' | paste -d' ' - - - - - -")" \
  "shuf | paste" 1.5
on_ms=$(best_of million.dat "$work/keymint" --private on 2>"$work/said")
head -1 "$work/sifreler.dat" | grep -q '^keymint-private 1 ' ||
  { echo "--private on: $(cat "$work/said")" >&2; exit 1; }
printf '%-30s keymint %5d ms (target <= 3000 ms)\n' "--private on, 1M records" "$on_ms"

[ "${KEYMINT_BENCH_MAX_RECORDS:-10000000}" -ge 10000000 ] || exit 0
{ printf 'temppass\r\n'; pwgen -s 8 10000000 | sed 's/$/\r/'; } >"$work/ten.dat"
# Seconds and peak kilobytes of a command, as "s kb"; its output goes to $work/out.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >"$work/out" || true
  tail -n 1 "$work/time"
}
# The same records, private.
cp "$work/ten.dat" "$work/sifreler.dat"
read -r on_s _ < <(measure "$work/keymint" --private on 2>"$work/said")
head -1 "$work/sifreler.dat" | grep -q '^keymint-private 1 ' ||
  { echo "--private on: $(cat "$work/said")" >&2; exit 1; }
mv "$work/sifreler.dat" "$work/ten-private.dat"
echo "10M records, --private on: keymint $on_s s"
ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 0.01) }'; }
# Puts a copy of $1 in place, on the disk before the clock starts.
fresh() { cp "$work/$1" "$work/sifreler.dat" && sync -- "$work/sifreler.dat"; }
ratios=()
private_ratios=()
for _ in $(seq "$rounds"); do
  fresh ten.dat
  read -r ours_s ours_kb < <(measure "$work/keymint" --generate -n 1000)
  cp "$work/out" "$work/candidates"
  read -r grep_s grep_kb < <(measure grep -cxFf "$work/candidates" "$work/sifreler.dat")
  ratios+=("$(ratio_of "$ours_s" "$grep_s")")
  fresh ten-private.dat
  read -r private_s private_kb < <(measure "$work/keymint" --generate -n 1000)
  [ "$(wc -l <"$work/out")" -eq 1000 ] ||
    { echo "into private records: $(wc -l <"$work/out") passwords printed" >&2; exit 1; }
  private_ratios+=("$(ratio_of "$private_s" "$ours_s")")
  printf '10M records, -n 1000: keymint %s s %d MB, grep -cxFf %s s %d MB, private %s s %d MB\n' \
    "$ours_s" $((ours_kb / 1024)) "$grep_s" $((grep_kb / 1024)) "$private_s" $((private_kb / 1024))
done
echo "10M records, -n 1000: ratios ${ratios[*]} (target <= 1.5; memory <= 64 MB)"
echo "10M records, -n 1000, private / plain: ratios ${private_ratios[*]} (target <= 1.2;" \
  "memory <= 64 MB)"
fresh ten.dat
read -r ours_s ours_kb < <(measure "$work/keymint" --generate -n 1000000)
budget_mb=$(( (24 * 11000000) / 1048576 + 64 ))
printf '10M records, -n 1000000: keymint %s s, peak %d MB (target <= %d MB)\n' \
  "$ours_s" $((ours_kb / 1024)) "$budget_mb"
