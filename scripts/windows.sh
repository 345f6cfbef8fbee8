#!/usr/bin/env bash
# Cross-builds keymint.exe with mingw-w64 and writes dist/keymint-<version>-windows-x64.zip, the
# installer dist/keymint-<version>-windows-x64-setup.exe and its winget manifest in dist/winget.
# The icon's seven sizes are drawn by the Linux artwork tool and packed into an .ico first.
#   JOBS=n                  parallel build jobs (2)
#   KEYMINT_LINUX_BUILD     build folder of the artwork tool (build)
#   KEYMINT_WINDOWS_BUILD   build folder of keymint.exe (build-windows)
#   KEYMINT_DIST            where the zip and the installer go (dist)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
linux=${KEYMINT_LINUX_BUILD:-build}
windows=${KEYMINT_WINDOWS_BUILD:-build-windows}
dist=${KEYMINT_DIST:-$PWD/dist}
./scripts/deps.sh --wine

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake --preset default -B "$linux" "${launcher[@]}" >/dev/null
cmake --build "$linux" --target keymint-artwork keymint-ico -j "${JOBS:-2}"

icons=$(cd "$linux" && pwd)/windows-icon
mkdir -p "$icons"
pngs=()
for size in 16 24 32 48 64 128 256; do
    QT_QPA_PLATFORM=offscreen "$linux"/tools/keymint-artwork icon "$icons/keymint-$size.png" "$size"
    pngs+=("$icons/keymint-$size.png")
done
"$linux"/tools/keymint-ico "$icons/keymint.ico" "${pngs[@]}"

cmake --preset windows -B "$windows" "${launcher[@]}" -DKEYMINT_WINDOWS_ICON="$icons/keymint.ico" \
    -DKEYMINT_DIST_DIR="$dist" >/dev/null
cmake --build "$windows" --target windows_zip windows_installer -j "${JOBS:-2}"
ls -l "$dist"/keymint-*-windows-x64.zip "$dist"/keymint-*-windows-x64-setup.exe
