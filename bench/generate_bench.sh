#!/usr/bin/env bash
# `keymint --generate -n 100000` against `pwgen -s 8 100000`, both in this run, into an empty
# records file and into one of 1,000,000 records. Keymint's time includes reading the records,
# the no-repeat check and appending every new password. Prints the ratios (target: <= 2).
# Then, into 10,000,000 records: `--generate -n 1000` against `grep -cxFf` of the same 1,000
# candidates over the same file (targets: time <= 1.5x, peak memory <= 64 MB), and the peak
# memory of `--generate -n 1000000` (target: <= 24 bytes per record on file and per password
# drawn, plus 64 MB). KEYMINT_BENCH_MAX_RECORDS below 10000000 leaves these out.
# Between the two: the generator's options against pwgen and shuf (below).
set -euo pipefail
cd "$(dirname "$0")/.."
count=100000
rounds=3

if ! command -v pwgen >/dev/null || [ ! -x /usr/bin/time ]; then
  if [ "$(id -u)" -eq 0 ]; then apt-get -qq update && apt-get -qq install -y pwgen time >/dev/null
  else sudo apt-get -qq update && sudo apt-get -qq install -y pwgen time >/dev/null; fi
fi
[ -x build/bin/keymint ] || cmake --build build --target keymint -j2 >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
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
    [ -z "$records" ] || cp "$work/$records" "$work/sifreler.dat"
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

[ "${KEYMINT_BENCH_MAX_RECORDS:-10000000}" -ge 10000000 ] || exit 0
{ printf 'temppass\r\n'; pwgen -s 8 10000000 | sed 's/$/\r/'; } >"$work/ten.dat"
# Seconds and peak kilobytes of a command, as "s kb"; its output goes to $work/out.
measure() {
  /usr/bin/time -f '%e %M' -o "$work/time" "$@" >"$work/out" || true
  tail -n 1 "$work/time"
}
ratios=()
for _ in $(seq "$rounds"); do
  cp "$work/ten.dat" "$work/sifreler.dat"
  read -r ours_s ours_kb < <(measure "$work/keymint" --generate -n 1000)
  cp "$work/out" "$work/candidates"
  read -r grep_s grep_kb < <(measure grep -cxFf "$work/candidates" "$work/sifreler.dat")
  ratios+=("$(awk -v a="$ours_s" -v b="$grep_s" 'BEGIN { printf "%.2f", a / (b > 0 ? b : 0.01) }')")
  printf '10M records, -n 1000: keymint %s s %d MB, grep -cxFf %s s %d MB\n' \
    "$ours_s" $((ours_kb / 1024)) "$grep_s" $((grep_kb / 1024))
done
echo "10M records, -n 1000: ratios ${ratios[*]} (target <= 1.5; memory <= 64 MB)"
cp "$work/ten.dat" "$work/sifreler.dat"
read -r ours_s ours_kb < <(measure "$work/keymint" --generate -n 1000000)
budget_mb=$(( (24 * 11000000) / 1048576 + 64 ))
printf '10M records, -n 1000000: keymint %s s, peak %d MB (target <= %d MB)\n' \
  "$ours_s" $((ours_kb / 1024)) "$budget_mb"
