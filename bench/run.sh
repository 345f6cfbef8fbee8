#!/usr/bin/env bash
# Runs the records benchmark: one table, each figure beside a reference measured in the same run.
# KEYMINT_BENCH_MAX_RECORDS=100000 keeps to the small sizes for a quick look.
set -euo pipefail
cd "$(dirname "$0")/.."
./build/bench/records_bench
