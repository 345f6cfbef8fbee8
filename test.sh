#!/usr/bin/env bash
# Builds Keymint with its tests (installing what they need first) and runs every test headless:
# the registry suite under Wine, the fuzz targets for a short while, the main suites, the suites
# about file permissions again as an unprivileged user, then every suite under ASan and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh --wine
cmake --preset default -DKEYMINT_BUILD_TESTS=ON >/dev/null
cmake --build --preset default

./scripts/wine-tests.sh
fuzz/run.sh ini "${FUZZ_SECONDS:-60}"
fuzz/run.sh registry "${FUZZ_SECONDS:-30}"

export QT_QPA_PLATFORM=offscreen
ctest --preset default --timeout 300
./scripts/unprivileged-tests.sh build

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
ctest --preset sanitize --timeout 300
