#!/usr/bin/env bash
# Builds fuzz_ini with the fuzz preset and runs it for SECONDS seconds.
# The corpus grows in build-fuzz/corpus/ini across runs; crashing inputs land in
# build-fuzz/artifacts/ini/.
set -euo pipefail

seconds=${1:?usage: fuzz/ini/run.sh SECONDS}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$root"

# Configuring every time picks up fuzz targets added since the folder was made.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_ini -j1 >/dev/null

corpus=build-fuzz/corpus/ini
artifacts=build-fuzz/artifacts/ini/
log=build-fuzz/fuzz_ini.log
mkdir -p "$corpus" "$artifacts"
if [ -z "$(ls -A "$corpus")" ]; then
  printf '[Default]\r\nuppercase=1\r\n\xffDefault\xffuppercase\xff0' >"$corpus/seed-existing-key"
  printf '; note\r\n[a]\r\nx=1\r\n\r\n\r\n[b]\r\ny=[2]\r\nk=3\xffb\xffk\xff4' >"$corpus/seed-two-sections"
  printf '\xffDefault\xffnumberofchars\xff12' >"$corpus/seed-empty-file"
fi

# Every input rewrites a file with fsync; a memory-backed folder keeps that cheap. A run that
# crashes leaves its scratch file behind, so the whole folder goes when the script ends.
scratch_base=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch_base=/dev/shm
fi
scratch=$(mktemp -d "$scratch_base/keymint-fuzz-ini.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
export TMPDIR=$scratch

status=0
build-fuzz/fuzz/fuzz_ini -max_total_time="$seconds" -print_final_stats=1 \
  -dict=fuzz/ini/ini.dict -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  echo "fuzz_ini FAILED after ${runs:-?} executions (log: $log)" >&2
  exit "$status"
fi
echo "fuzz_ini: ${runs} executions in ${seconds} s, no failure"
