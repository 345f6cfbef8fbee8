#!/usr/bin/env bash
# A password is on the disk before it is printed: under strace, the records file is flushed
# (fdatasync) before the first password reaches standard output.
#   durable_order.sh KEYMINT
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/"
cp -r "$(dirname "$1")/Language" "$work/"
# LeakSanitizer cannot work under ptrace; in a sanitizer build the leak check stays off here.
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
  strace -f -qq -e trace=write,fdatasync -o "$work/calls" "$work/keymint" --generate -n 3 >"$work/out"
first_flush=$(grep -n 'fdatasync(' "$work/calls" | head -1 | cut -d: -f1)
first_print=$(grep -n 'write(1,' "$work/calls" | head -1 | cut -d: -f1)
echo "flushed at call ${first_flush:-never}, printed at call ${first_print:-never}"
[ -n "$first_flush" ] && [ -n "$first_print" ] && [ "$first_flush" -lt "$first_print" ]
[ "$(wc -l <"$work/out")" -eq 3 ]
