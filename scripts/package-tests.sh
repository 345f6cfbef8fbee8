#!/usr/bin/env bash
# Builds the package and the portable archive, runs the validators on them (failing on any
# error they report), then starts what the package and the archive hold as an ordinary user:
# the installed program must keep its files in the user's data folder, the portable one beside
# itself.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/package.sh
cmake --build build --target installed_startup_test >/dev/null
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' build/CPackConfig.cmake)
deb=dist/keymint_${version}_amd64.deb
tarball=dist/keymint-${version}-linux-x86_64.tar.gz

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
root=$work/root
dpkg-deb -x "$deb" "$root"

failed=0
check() {  # check WHAT COMMAND...: prints the command's output, fails the run on an error line
  local output
  output=$("${@:2}" 2>&1) || true
  printf '%s:\n%s\n' "$1" "${output:-(no output)}"
  if grep -qE '^(E: |error: )|: error: |Validation failed' <<<"$output"; then
    echo "FAILED: $1 reports an error"
    failed=1
  fi
}
check desktop-file-validate desktop-file-validate "$root/usr/share/applications/keymint.desktop"
check "appstreamcli validate" appstreamcli validate --no-net --pedantic \
  "$root/usr/share/metainfo/io.github.keymint.Keymint.metainfo.xml"
check lintian lintian --tag-display-limit 0 "$deb"

expect() {  # expect WHAT CONDITION...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failed=1; fi
}
program=$root/usr/lib/keymint/keymint
expect "/usr/bin/keymint points at the program folder" \
  test "$(readlink "$root/usr/bin/keymint")" = ../lib/keymint/keymint

# No display at all: the options are answered before Qt starts.
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
expect "--version prints the version" \
  test "$(./scripts/unprivileged.sh "${no_display[@]}" "$program" --version)" = "Keymint $version"
expect "--help prints the usage" \
  bash -c "./scripts/unprivileged.sh ${no_display[*]} '$program' --help | grep -q '^Usage: keymint'"
status=0
./scripts/unprivileged.sh "${no_display[@]}" "$program" --frobnicate 2>"$work/error" || status=$?
expect "an unknown option exits with 2 and names it" \
  bash -c "[ $status = 2 ] && head -1 '$work/error' | grep -qx \"keymint: unknown option '--frobnicate'\""

# The window over the unpacked installation: data folder, captions, settings on exit.
QT_QPA_PLATFORM=offscreen KEYMINT_INSTALLED_FOLDER=$root/usr/lib/keymint \
  ./scripts/unprivileged.sh build/tests/installed_startup_test || failed=1

# The real programs, started and ended by the session's end signal.
start_and_end() {  # start_and_end PROGRAM RECORDS_FILE (relative to HOME unless absolute)
  QT_QPA_PLATFORM=offscreen ./scripts/unprivileged.sh bash -c '
    cd "$HOME"; records=$2; [ "${records#/}" != "$records" ] || records=$HOME/$records
    "$1" & pid=$!
    for _ in $(seq 300); do [ -s "$records" ] && break; sleep 0.1; done
    kill -TERM $pid; wait $pid
    stat -c %a "$records"' _ "$@"
}
expect "the installed program creates ~/.local/share/keymint/sifreler.dat, mode 600" \
  test "$(start_and_end "$program" .local/share/keymint/sifreler.dat)" = 600
tar -C "$work" -xzf "$tarball"
portable=$work/keymint-${version}-linux-x86_64
chown -R 65534:65534 "$portable" 2>/dev/null || true
expect "the archive holds exactly the files of packaging/linux-archive.txt" \
  test "$(grep -v '^#' packaging/linux-archive.txt | sort)" = \
  "$(cd "$portable" && find . -type f | sed 's|^\./||' | sort)"
expect "the portable program creates sifreler.dat beside itself, mode 600" \
  test "$(start_and_end "$portable/keymint" "$portable/sifreler.dat")" = 600
# A passphrase from each, as its user runs it: the word list must have come with the program.
passphrase() {  # passphrase PROGRAM: six words on one line
  ./scripts/unprivileged.sh "${no_display[@]}" bash -c \
    'cd "$HOME" && "$1" --generate --words 6' _ "$1" | awk 'NF == 6 { ok = 1 } END { exit !ok }'
}
expect "the installed program gives a passphrase" passphrase "$program"
expect "the portable program gives a passphrase" passphrase "$portable/keymint"

echo "sizes: $(stat -c '%n %s bytes' "$deb" "$tarball" | paste -sd ';')"
exit $failed
