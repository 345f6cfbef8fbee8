#!/usr/bin/env bash
# Builds the release artefacts twice, each time from nothing in a folder of its own
# (build-reproducible/1 and /2), without ccache, and checks that the two builds are the same byte
# for byte: the Windows zip, the .deb and the portable archive. The zip must keep everything in
# its one top folder.
#   JOBS=n   parallel build jobs (2)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/deps.sh --wine --package
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export CCACHE_DISABLE=1  # a cached object would hide a compiler that is not deterministic

out=$PWD/build-reproducible
rm -rf "$out"
for round in 1 2; do
    folder=$out/$round
    mkdir -p "$folder/dist"
    KEYMINT_PACKAGE_BUILD=$folder/linux KEYMINT_DIST=$folder/dist ./scripts/package.sh \
        >"$folder/package.log" 2>&1 || { cat "$folder/package.log"; exit 1; }
    KEYMINT_LINUX_BUILD=$folder/linux KEYMINT_WINDOWS_BUILD=$folder/windows \
        KEYMINT_DIST=$folder/dist ./scripts/windows.sh \
        >"$folder/windows.log" 2>&1 || { cat "$folder/windows.log"; exit 1; }
done

status=0
for first in "$out"/1/dist/*; do
    name=$(basename "$first")
    if cmp -s "$first" "$out/2/dist/$name"; then
        echo "reproducible: $name"
    else
        echo "NOT reproducible: $name" >&2
        status=1
    fi
done
zips=("$out"/1/dist/keymint-*-windows-x64.zip)
zip=${zips[0]}
top=$(basename "$zip" .zip)/
if unzip -Z1 "$zip" | grep -qv "^$top"; then
    echo "the zip holds files outside $top" >&2
    status=1
fi
made=("$out"/1/dist/*)
[ "${#made[@]}" -eq 3 ] || { echo "expected three artefacts: ${made[*]}" >&2; status=1; }
exit "$status"
