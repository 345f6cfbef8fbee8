#!/usr/bin/env bash
# Builds the Debian package and the portable archive into dist/:
#   dist/keymint_<version>_amd64.deb           the program under /usr/lib/keymint, for apt
#   dist/keymint-<version>-linux-x86_64.tar.gz  a program folder to unpack anywhere and run
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh --package
cmake --preset default >/dev/null
cmake --build --preset default
mkdir -p dist

(cd build && cpack --config CPackConfig.cmake >/dev/null)
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' build/CPackConfig.cmake)
deb=keymint_${version}_amd64.deb
cp build/cpack/"$deb" dist/

# The portable folder: the program and its language files, kept beside each other.
name=keymint-${version}-linux-x86_64
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name"
cp -r build/bin/Language "$stage/$name/"
install -m 0755 -s build/bin/keymint "$stage/$name/keymint"
install -m 0644 build/bin/keymint.png LICENSE "$stage/$name/"
tar --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$(git log -1 --format=%ct 2>/dev/null || echo 0)" \
  -C "$stage" -czf "dist/$name.tar.gz" "$name"

echo "dist/$deb: $(stat -c %s "dist/$deb") bytes"
echo "dist/$name.tar.gz: $(stat -c %s "dist/$name.tar.gz") bytes"
