#!/usr/bin/env bash
# Runs every benchmark; each prints its own ratio against a reference measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
for bench in build/bench/*_bench bench/*_bench.sh; do
  echo "== $(basename "$bench")"
  "$bench"
done
