#!/usr/bin/env bash
# Builds Keymint (installing what it needs first) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec ./build/bin/keymint "$@"
