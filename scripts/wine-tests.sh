#!/usr/bin/env bash
# Cross-builds the plain C++ suites (app, ini, registry) and the Win32 services' tests with
# mingw-w64 and runs them under Wine with the Turkish ANSI code page (1254), in a private Wine
# prefix inside the build folder. POSIX by nature, and so left to the Linux run: the records
# crash test (fork and SIGKILL), the SQLite registry store's tests and the POSIX services' tests.
# Needs the packages of `scripts/deps.sh --wine`.
#   JOBS=n              parallel build jobs (2)
#   KEYMINT_WINE_BUILD  build folder (build-windows)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KEYMINT_WINE_BUILD:-$root/build-windows}
log=$build/build.log
suites=(win32_tests ini_tests registry_tests app_tests)
mkdir -p "$build"

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if ! { cd "$root" && cmake --preset windows -B "$build" "${launcher[@]}" &&
       cmake --build "$build" --target "${suites[@]}" -j "${JOBS:-2}"; } >"$log" 2>&1; then
    cat "$log"
    echo "wine-tests: the Windows build failed" >&2
    exit 1
fi

export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer at start-up
export LANG=tr_TR.UTF-8 LC_ALL=tr_TR.UTF-8 KEYMINT_TEST_CODE_PAGE=1254
unset DISPLAY WAYLAND_DISPLAY
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)

# A persistent server for the whole run; stopped on every way out, or the caller hangs on it.
mkdir -p "$WINEPREFIX"
"$wineserver" -p
trap '"$wineserver" -k >/dev/null 2>&1 || true' EXIT
"$wine" wineboot -i </dev/null >/dev/null 2>&1

status=0
passed=0
failed=0
for suite in "${suites[@]}"; do
    out=$build/tests/$suite.log
    set +e
    "$wine" "$build/tests/$suite.exe" </dev/null 2>&1 | tr -d '\r' | tee "$out"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    set -e
    passed=$((passed + $(grep -c '^\[       OK \]' "$out" || true)))
    failed=$((failed + $(grep -c '^\[  FAILED  \].*(' "$out" || true)))
done
# The zip as a user unpacks it into an empty folder: exactly the files packaging/windows-zip.txt
# names, and a passphrase and a password from it, recorded in the ANSI code page with CR LF.
zip_check() {
    local dist=$build/zip-test
    rm -rf "$dist" && mkdir -p "$dist/unpacked"
    cmake -B "$build" -DKEYMINT_DIST_DIR="$dist" >>"$log" 2>&1 &&
        cmake --build "$build" --target windows_zip -j "${JOBS:-2}" >>"$log" 2>&1 ||
        { echo "the zip could not be built"; return 1; }
    (cd "$dist/unpacked" && unzip -q "$dist"/keymint-*-windows-x64.zip)
    local folder
    folder=$(echo "$dist"/unpacked/keymint-*-windows-x64)
    local expected actual
    expected=$(grep -v '^#' "$root/packaging/windows-zip.txt" | sort)
    actual=$(cd "$folder" && find . -type f | sed 's|^\./||' | sort)
    [ "$expected" = "$actual" ] || { echo "the zip holds:"; echo "$actual"; return 1; }
    "$wine" "$folder/keymint.exe" --generate --words 6 >"$dist/words.txt" </dev/null ||
        { echo "no passphrase from the zip"; return 1; }
    [ "$(tr -d '\r' <"$dist/words.txt" | wc -w)" -eq 6 ] || { echo "not six words"; return 1; }
    "$wine" "$folder/keymint.exe" --generate --chars "ğüşİ" --length 5 >/dev/null </dev/null ||
        { echo "no password from the zip"; return 1; }
    local records=$folder/sifreler.dat
    head -c 10 "$records" | cmp -s - <(printf 'temppass\r\n') || { echo "no first line"; return 1; }
    grep -qxF "$(tr -d '\r' <"$dist/words.txt")"$'\r' "$records" || { echo "not on record"; return 1; }
    # ğ ü ş İ are F0 FC FE DD in code page 1254.
    tail -n 1 "$records" | LC_ALL=C grep -qx $'[\xF0\xFC\xFE\xDD]\{5\}\r' ||
        { echo "the password is not in code page 1254 with CR LF"; return 1; }
}
artefact_check() {  # artefact_check NAME FUNCTION: counted as one test
    local problem
    if problem=$("$2"); then
        echo "[       OK ] $1"
        passed=$((passed + 1))
    else
        echo "[  FAILED  ] $1: $problem"
        failed=$((failed + 1))
        status=1
    fi
}
artefact_check "the Windows zip as unpacked" zip_check
# The installer as a user runs it, silently: per user and without administrator, the zip's files,
# a Start menu entry and an Apps & features entry; the installed program keeps its records in the
# user's data folder; the uninstaller removes the program and keeps the records, or removes them
# with /REMOVERECORDS.
installer_check() {
    local dist=$build/zip-test
    cmake --build "$build" --target windows_installer -j "${JOBS:-2}" >>"$log" 2>&1 ||
        { echo "the installer could not be built"; return 1; }
    local user=$WINEPREFIX/drive_c/users/$(id -un)
    local programs=$user/AppData/Local/Programs/Keymint data=$user/AppData/Local/Keymint
    local menu="$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Keymint.lnk"
    local key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Keymint'
    local version
    version=$(sed -n 's/^project(Keymint VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
    rm -rf "$programs" "$data"
    local round
    for round in keep remove; do
        "$wine" "$dist/keymint-$version-windows-x64-setup.exe" /S </dev/null ||
            { echo "the installer failed"; return 1; }
        local entry
        for entry in $(grep -v '^#' "$root/packaging/windows-zip.txt") uninstall.exe; do
            [ -f "$programs/$entry" ] || { echo "not installed: $entry"; return 1; }
        done
        [ -f "$menu" ] || { echo "no Start menu entry"; return 1; }
        "$wine" reg query "$key" /v DisplayVersion </dev/null 2>/dev/null | grep -q "$version" ||
            { echo "no Apps & features entry with version $version"; return 1; }
        "$wine" "$programs/keymint.exe" --generate --words 6 >"$dist/installed.txt" </dev/null ||
            { echo "no passphrase from the installed program"; return 1; }
        grep -qxF "$(tr -d '\r' <"$dist/installed.txt")"$'\r' "$data/sifreler.dat" ||
            { echo "the passphrase is not on record in the user's data folder"; return 1; }
        [ ! -e "$programs/sifreler.dat" ] || { echo "records beside the installed program"; return 1; }
        local flags=(/S)
        [ "$round" = keep ] || flags+=(/REMOVERECORDS)
        "$wine" "$programs/uninstall.exe" "${flags[@]}" </dev/null ||
            { echo "the uninstaller failed"; return 1; }
        # The uninstaller runs on from a copy of itself: wait for it to finish.
        local tries=0
        while [ -e "$programs" ] && [ $((tries += 1)) -lt 300 ]; do sleep 0.1; done
        [ ! -e "$programs" ] || { echo "the program folder is left: $(ls "$programs")"; return 1; }
        [ ! -e "$menu" ] || { echo "the Start menu entry is left"; return 1; }
        if "$wine" reg query "$key" </dev/null >/dev/null 2>&1; then
            echo "the Apps & features entry is left"
            return 1
        fi
        if [ "$round" = keep ]; then
            [ -f "$data/sifreler.dat" ] || { echo "the uninstaller removed the records"; return 1; }
        else
            [ ! -e "$data" ] || { echo "/REMOVERECORDS left the records"; return 1; }
        fi
    done
}
if ! command -v makensis >/dev/null; then
    echo "wine-tests: makensis is missing (scripts/deps.sh --wine installs nsis)" >&2
    status=1
else
    artefact_check "the Windows installer, installed and uninstalled" installer_check
fi
echo "wine: $passed passed, $failed failed"
exit "$status"
