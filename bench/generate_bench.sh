#!/usr/bin/env bash
# `keymint --generate -n 100000` against `pwgen -s 8 100000`, both in this run, into an empty
# records file and into one of 1,000,000 records. Keymint's time includes reading the records,
# the no-repeat check and appending every new password. Prints the ratios (target: <= 2).
set -euo pipefail
cd "$(dirname "$0")/.."
count=100000
rounds=3

if ! command -v pwgen >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then apt-get -qq update && apt-get -qq install -y pwgen >/dev/null
  else sudo apt-get -qq update && sudo apt-get -qq install -y pwgen >/dev/null; fi
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
