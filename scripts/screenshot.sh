#!/usr/bin/env bash
# Renders the window under Xvfb at 100 %, 150 % and 200 % into docs/screenshot-<scale>.png for
# the README.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target keymint-artwork
for percent in 100 150 200; do
  factor=$(awk "BEGIN { print $percent / 100 }")
  xvfb-run -a -s "-screen 0 1280x1280x24 -dpi 96" env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$factor" \
    ./build/tools/keymint-artwork screenshot "docs/screenshot-$percent.png"
  echo "wrote docs/screenshot-$percent.png"
done
