#!/usr/bin/env bash
# Private records against a real keyring: gnome-keyring on a private session bus.
#   private_records.sh KEYMINT
# Without a keyring, and with one that cannot make its login keyring, turning private records on
# is refused and the file is left alone. With one, no password handed out is found in any file
# Keymint writes; with the keyring reset, the records refuse until the recovery key puts the key
# back; turned off, the file is plain again.
set -euo pipefail
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || [ "${KEYMINT_PRIVATE_BUS:-}" != 1 ]; then
  exec env KEYMINT_PRIVATE_BUS=1 dbus-run-session --config-file="$(dirname "$0")/session-bus.conf" \
    -- "$0" "$@" 2> >(grep -v 'fd limit' >&2)
fi
keymint=$(realpath "$1")
work=$(mktemp -d)
keyring_pid=
cleanup() {
  [ -n "$keyring_pid" ] && kill "$keyring_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config \
  XDG_RUNTIME_DIR=$work/run
scratch=$work/scratch
mkdir -p "$scratch" "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
cp -r "$(dirname "$keymint")" "$work/program"
cd "$work/program"
rm -f sifreler.dat keymint.ini keymint-*.key  # what a run of the build folder left
fail() { echo "FAIL: $*" >&2; exit 1; }

start_keyring() {  # with a password, the login keyring is made and unlocked with it
  if [ $# -gt 0 ]; then
    gnome-keyring-daemon --foreground --components=secrets --unlock <<< "$1" >/dev/null 2>&1 &
  else
    gnome-keyring-daemon --foreground --components=secrets < /dev/null >/dev/null 2>&1 &
  fi
  keyring_pid=$!
  for _ in $(seq 100); do
    if dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
        grep -q 'boolean true'; then
      return
    fi
    sleep 0.1
  done
  fail "gnome-keyring-daemon did not come up"
}
stop_keyring() { kill "$keyring_pid"; wait "$keyring_pid" 2>/dev/null || true; keyring_pid=; }

./keymint --generate -n 20 > "$scratch/handed-out.txt"
cp sifreler.dat "$scratch/plain-before"

# No keyring on the bus.
if ./keymint --private on > /dev/null 2> "$scratch/said.txt"; then fail "turned on without a keyring"; fi
grep -q 'Secret Service' "$scratch/said.txt" || fail "no keyring, but it said: $(cat "$scratch/said.txt")"
cmp -s sifreler.dat "$scratch/plain-before" || fail "the refusal changed the records"

# A keyring without a login keyring, which would have to ask the user, who cannot answer here.
start_keyring
if ./keymint --private on > /dev/null 2> "$scratch/said.txt"; then fail "turned on without a usable keyring"; fi
cmp -s sifreler.dat "$scratch/plain-before" || fail "the refusal changed the records"
stop_keyring
rm -rf "$XDG_DATA_HOME/keyrings"

start_keyring "test password"
./keymint --private on > "$scratch/code.txt" 2> "$scratch/said.txt" || fail "private on: $(cat "$scratch/said.txt")"
grep -Eq '^([0-9A-Z]{4}-){13}[0-9A-Z]{4}$' "$scratch/code.txt" || fail "the recovery key: $(cat "$scratch/code.txt")"
head -1 sifreler.dat | grep -q '^keymint-private 1 ' || fail "the file does not say it is private"
./keymint --generate -n 20 >> "$scratch/handed-out.txt"
./keymint --generate --words 3 >> "$scratch/handed-out.txt"
while read -r password; do
  if grep -rqF -- "$password" "$work/program" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME"; then
    fail "a password handed out is readable in a file: $(grep -rlF -- "$password" "$work" | head -1)"
  fi
done < <(grep -v '^$' "$scratch/handed-out.txt" | grep -vxF -f "$scratch/code.txt")
[ "$(($(wc -l < sifreler.dat) - 1))" -eq 41 ] || fail "expected 41 records, found $(wc -l < sifreler.dat) lines"

# The keyring is reset: the records refuse, and nothing is written, until the key is back.
stop_keyring
rm -rf "$XDG_DATA_HOME/keyrings"
start_keyring "another password"
cp sifreler.dat "$scratch/private-before"
if ./keymint --generate > "$scratch/printed.txt" 2> "$scratch/said.txt"; then fail "generated without the key"; fi
[ ! -s "$scratch/printed.txt" ] || fail "printed without the key"
grep -q -- '--recover' "$scratch/said.txt" || fail "no word of the recovery key: $(cat "$scratch/said.txt")"
cmp -s sifreler.dat "$scratch/private-before" || fail "appended without the key"
if echo "0000-0000" | ./keymint --recover 2> "$scratch/said.txt"; then fail "took a wrong recovery key"; fi
./keymint --recover < "$scratch/code.txt" 2> "$scratch/said.txt" || fail "recover: $(cat "$scratch/said.txt")"
./keymint --generate -n 2 >> "$scratch/handed-out.txt" || fail "generate after recovery"

./keymint --private off 2> "$scratch/said.txt" || fail "private off: $(cat "$scratch/said.txt")"
head -1 sifreler.dat | grep -qx $'temppass\r' || fail "not plain again"
while read -r password; do
  grep -qxF -- "$password"$'\r' sifreler.dat || fail "lost a record: $password"
done < <(grep -v '^$' "$scratch/handed-out.txt" | grep -vxF -f "$scratch/code.txt")
echo "private records against gnome-keyring: ok"
