#!/usr/bin/env bash
# Builds the release artefacts from nothing in a folder of its own, without ccache, and checks
# that two builds are the same byte for byte: the Windows zip, the installer and its winget
# manifest, the .deb and the portable archive. The zip must keep everything in its one top folder.
# Two rounds (build-reproducible/1 and /2), or, with KEYMINT_REPRODUCE_AGAINST=FOLDER, one round
# compared with the artefacts an earlier stage already built into FOLDER.
#   JOBS=n   parallel build jobs (2)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
./scripts/deps.sh --wine --package
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export CCACHE_DISABLE=1  # a cached object would hide a compiler that is not deterministic

out=$PWD/build-reproducible
rm -rf "$out"
against=${KEYMINT_REPRODUCE_AGAINST:-}
rounds=(1 2)
[ -z "$against" ] || rounds=(2)
for round in "${rounds[@]}"; do
    folder=$out/$round
    mkdir -p "$folder/dist"
    KEYMINT_PACKAGE_BUILD=$folder/linux KEYMINT_DIST=$folder/dist ./scripts/package.sh \
        >"$folder/package.log" 2>&1 || { cat "$folder/package.log"; exit 1; }
    KEYMINT_LINUX_BUILD=$folder/linux KEYMINT_WINDOWS_BUILD=$folder/windows \
        KEYMINT_DIST=$folder/dist ./scripts/windows.sh \
        >"$folder/windows.log" 2>&1 || { cat "$folder/windows.log"; exit 1; }
done
first=${against:-$out/1/dist}

status=0
made=0
while read -r name; do
    made=$((made + 1))
    if cmp -s "$first/$name" "$out/2/dist/$name"; then
        echo "reproducible: $name"
    else
        echo "NOT reproducible: $name" >&2
        status=1
    fi
done < <(cd "$out/2/dist" && find . -type f | sed 's|^\./||' | sort)
zips=("$out"/2/dist/keymint-*-windows-x64.zip)
zip=${zips[0]}
top=$(basename "$zip" .zip)/
if unzip -Z1 "$zip" | grep -qv "^$top"; then
    echo "the zip holds files outside $top" >&2
    status=1
fi
# The zip, the installer, three winget files, the .deb and the archive.
[ "$made" -eq 7 ] || { echo "expected seven artefacts, found $made" >&2; status=1; }
exit "$status"
