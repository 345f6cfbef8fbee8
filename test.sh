#!/usr/bin/env bash
# Builds Keymint with its tests (installing what they need first) and runs every test headless:
# the Windows suites and the Windows window under Wine, the fuzz targets for a short while, the
# main suites, every suite again under ASan and UBSan, then the package: built, validated,
# unpacked and started as an ordinary user; last, the release artefacts built twice and compared.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --wine --package
cmake --preset default -DKEYMINT_BUILD_TESTS=ON >/dev/null
cmake --build --preset default

./scripts/wine-tests.sh
./scripts/wine-window-tests.sh
fuzz/run.sh ini "${FUZZ_SECONDS:-60}"
fuzz/run.sh registry "${FUZZ_SECONDS:-30}"

export QT_QPA_PLATFORM=offscreen
ctest --preset default --timeout 300

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --timeout 300

./scripts/package-tests.sh
make reproducible
