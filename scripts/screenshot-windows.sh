#!/usr/bin/env bash
# Renders the Windows window under Wine at 100 %, 150 % and 200 % (96, 144 and 192 dots per
# inch) into docs/screenshot-windows-<scale>.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for percent in 100 150 200; do
  KEYMINT_SCREENSHOT_DPI=$((percent * 96 / 100)) \
    "$root/scripts/wine-window-tests.sh" --screenshot "$root/docs/screenshot-windows-$percent.png"
  echo "wrote docs/screenshot-windows-$percent.png"
done
