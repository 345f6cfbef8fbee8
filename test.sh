#!/usr/bin/env bash
# Builds Keymint with its tests (installing what they need first) and runs every test headless:
# the Windows suites, the zip and the installer under Wine, the Windows window under Wine, the
# fuzz targets for a short while, the main suites, every suite again under ASan and UBSan, then
# the package: built, validated, unpacked and started as an ordinary user; last, the release
# artefacts built once more from nothing and compared with those. Prints each stage's time.
set -euo pipefail
cd "$(dirname "$0")"

stages=()
started=$SECONDS
stage() {  # stage NAME COMMAND...: runs the command and notes how long it took
    local from=$SECONDS
    "${@:2}"
    stages+=("$1 $((SECONDS - from))")
}
report() {
    local total=$((SECONDS - started)) line
    echo "test.sh: ${total} s in all"
    for line in "${stages[@]}"; do
        awk -v total="$total" '{ name = $0; sub(/ [0-9]+$/, "", name)
            printf "  %-22s %5d s %5.1f %%\n", name, $NF, total ? 100 * $NF / total : 0 }' <<<"$line"
    done
}
trap report EXIT

build() {
    ./scripts/deps.sh --wine --package
    cmake --preset default -DKEYMINT_BUILD_TESTS=ON >/dev/null
    cmake --build --preset default
}
fuzz() {
    fuzz/run.sh ini "${FUZZ_SECONDS:-60}"
    fuzz/run.sh registry "${FUZZ_SECONDS:-30}"
}
sanitize() {
    cmake --preset sanitize >/dev/null
    cmake --build --preset sanitize
    ctest --preset sanitize --timeout 300
}
artefacts() {
    ./scripts/windows.sh
    KEYMINT_REPRODUCE_AGAINST=$PWD/dist ./scripts/reproducible.sh
}

stage "build" build
stage "Windows under Wine" ./scripts/wine-tests.sh
stage "Windows window" ./scripts/wine-window-tests.sh
stage "fuzz" fuzz
export QT_QPA_PLATFORM=offscreen
stage "tests" ctest --preset default --timeout 300
stage "tests, sanitized" sanitize
stage "package" ./scripts/package-tests.sh
stage "artefacts, reproduced" artefacts
