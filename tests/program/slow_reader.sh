#!/usr/bin/env bash
# A batch whose reader takes its output slowly holds the records file's lock only while it writes
# records: a second batch started meanwhile finishes at once, and every password is on record.
#   slow_reader.sh KEYMINT
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$(dirname "$(realpath "$1")")" "$work/program"
cd "$work/program"
rm -f sifreler.dat keymint.ini keymint-*.key  # what a run of the build folder left
# Two slices: the first is printed into a pipe nobody reads for a while.
./keymint --generate -n 70000 | (sleep 6; cat > "$work/slow.txt") &
slow=$!
sleep 1.5
start=$(date +%s%N)
./keymint --generate -n 1 > "$work/quick.txt"
waited_ms=$((($(date +%s%N) - start) / 1000000))
wait "$slow"
echo "the second batch waited ${waited_ms} ms beside a stalled reader"
[ "$waited_ms" -lt 4000 ] || { echo "FAIL: held up by the stalled reader" >&2; exit 1; }
[ "$(wc -l < "$work/slow.txt")" -eq 70000 ] || { echo "FAIL: the slow batch printed $(wc -l < "$work/slow.txt")" >&2; exit 1; }
cat "$work/slow.txt" "$work/quick.txt" | sort | uniq -d | grep -q . && { echo "FAIL: a repeat" >&2; exit 1; }
while read -r password; do printf '%s\r\n' "$password"; done < <(cat "$work/slow.txt" "$work/quick.txt") |
  sort > "$work/printed"
tail -n +2 sifreler.dat | sort > "$work/recorded"
cmp -s "$work/printed" "$work/recorded" || { echo "FAIL: printed and recorded differ" >&2; exit 1; }
