#!/usr/bin/env bash
# Builds one libFuzzer target with the "fuzz" preset (clang, ASan, UBSan) and runs it for a while.
# Usage: fuzz/run.sh ini|registry SECONDS
# The corpus grows in build-fuzz/corpus/NAME across runs; crashing inputs land in
# build-fuzz/artifacts/NAME/ and the whole log in build-fuzz/NAME.log.
set -euo pipefail

name=${1:?usage: fuzz/run.sh ini|registry SECONDS}
seconds=${2:?usage: fuzz/run.sh ini|registry SECONDS}
cd "$(dirname "${BASH_SOURCE[0]}")/.."

options=()
case "$name" in
  ini) target=fuzz_ini; options+=(-dict=fuzz/ini/ini.dict) ;;
  registry) target=registry_value_fuzzer; options+=(-timeout=10 -rss_limit_mb=2048) ;;
  *) echo "unknown fuzz target: $name" >&2; exit 2 ;;
esac

# Configuring every time picks up fuzz targets added since the folder was made.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "$target" >/dev/null

corpus=build-fuzz/corpus/$name
artifacts=build-fuzz/artifacts/$name/
log=build-fuzz/$name.log
mkdir -p "$corpus" "$artifacts"
if [ -z "$(ls -A "$corpus")" ] && [ -d "fuzz/$name/seeds" ]; then
  cp "fuzz/$name/seeds/"* "$corpus/"
fi

# The targets write files with fsync; a memory-backed folder keeps that cheap. A run that crashes
# leaves its scratch files behind, so the whole folder goes when the script ends.
scratch_base=${TMPDIR:-/tmp}
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
  scratch_base=/dev/shm
fi
scratch=$(mktemp -d "$scratch_base/keymint-fuzz-$name.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

status=0
TMPDIR=$scratch "build-fuzz/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
  "${options[@]}" -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1 || status=$?

runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
if [ "$status" -ne 0 ]; then
  tail -n 40 "$log"
  echo "$target FAILED after ${runs:-?} executions (log: $log)" >&2
  exit "$status"
fi
echo "$target: ${runs} executions in ${seconds} s, no failure"
