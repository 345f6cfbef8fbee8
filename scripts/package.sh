#!/usr/bin/env bash
# Builds the Debian package and the portable archive into dist/:
#   dist/keymint_<version>_amd64.deb           the program under /usr/lib/keymint, for apt
#   dist/keymint-<version>-linux-x86_64.tar.gz  a program folder to unpack anywhere and run
# Both carry the last commit's time (SOURCE_DATE_EPOCH), not the build's.
#   KEYMINT_PACKAGE_BUILD   a build folder of its own, made without the tests (default: build)
#   KEYMINT_DIST            where the packages go (dist)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh --package
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 0)}
build=${KEYMINT_PACKAGE_BUILD:-build}
dist=${KEYMINT_DIST:-dist}
if [ "$build" = build ]; then
  cmake --preset default >/dev/null
else
  cmake --preset default -B "$build" -DKEYMINT_BUILD_TESTS=OFF -DKEYMINT_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" -j "${JOBS:-2}"
mkdir -p "$dist"

(cd "$build" && cpack --config CPackConfig.cmake >/dev/null)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build"/CPackConfig.cmake)
deb=keymint_${version}_amd64.deb
cp "$build"/cpack/"$deb" "$dist"/

# The portable folder: the program and its language files, kept beside each other.
name=keymint-${version}-linux-x86_64
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name"
while read -r entry; do
  case "$entry" in
    '#'* | '') ;;
    keymint) install -D -m 0755 -s "$build/bin/keymint" "$stage/$name/keymint" ;;
    LICENSE) install -D -m 0644 LICENSE "$stage/$name/LICENSE" ;;
    *) install -D -m 0644 "$build/bin/$entry" "$stage/$name/$entry" ;;
  esac
done <packaging/linux-archive.txt
tar --sort=name --owner=0 --group=0 --numeric-owner --mode=go-w,a+rX --mtime="@$SOURCE_DATE_EPOCH" \
  -C "$stage" -cf - "$name" | gzip -9n >"$dist/$name.tar.gz"

echo "$dist/$deb: $(stat -c %s "$dist/$deb") bytes"
echo "$dist/$name.tar.gz: $(stat -c %s "$dist/$name.tar.gz") bytes"
