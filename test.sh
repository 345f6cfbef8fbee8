#!/usr/bin/env bash
# Builds Keymint with its tests (installing what they need first) and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
export QT_QPA_PLATFORM=offscreen
ctest --preset default --timeout 300
