#!/usr/bin/env bash
# Renders the window under Xvfb into docs/screenshot.png for the README.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target keymint-artwork
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" env QT_QPA_PLATFORM=xcb \
  ./build/tools/keymint-artwork screenshot docs/screenshot.png
echo "wrote docs/screenshot.png"
