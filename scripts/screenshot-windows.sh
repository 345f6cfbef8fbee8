#!/usr/bin/env bash
# Renders the Windows window under Wine into docs/screenshot-windows.png.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/wine-window-tests.sh" --screenshot "$root/docs/screenshot-windows.png"
