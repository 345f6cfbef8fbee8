#!/usr/bin/env bash
# Cross-builds keymint.exe with mingw-w64 and writes dist/keymint-<version>-windows-x64.zip.
# The icon's seven sizes are drawn by the Linux artwork tool and packed into an .ico first.
#   JOBS=n   parallel build jobs (2)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/deps.sh --wine

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset default "${launcher[@]}" >/dev/null
cmake --build build --target keymint-artwork keymint-ico -j "${JOBS:-2}"

icons=$PWD/build/windows-icon
mkdir -p "$icons"
pngs=()
for size in 16 24 32 48 64 128 256; do
    QT_QPA_PLATFORM=offscreen build/tools/keymint-artwork icon "$icons/keymint-$size.png" "$size"
    pngs+=("$icons/keymint-$size.png")
done
build/tools/keymint-ico "$icons/keymint.ico" "${pngs[@]}"

cmake --preset windows "${launcher[@]}" -DKEYMINT_WINDOWS_ICON="$icons/keymint.ico" >/dev/null
cmake --build build-windows --target windows_zip -j "${JOBS:-2}"
ls -l dist/keymint-*-windows-x64.zip
