#!/usr/bin/env bash
# Runs a command as an ordinary user with a fresh home folder of its own. Root ignores permission
# bits, so as root the command runs as nobody (uid 65534); anyone else runs it as themselves.
set -euo pipefail
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
clean_env=(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_RUNTIME_DIR HOME="$home")
if [ "$(id -u)" -eq 0 ]; then
  chown 65534:65534 "$home"
  setpriv --reuid=65534 --regid=65534 --clear-groups "${clean_env[@]}" "$@"
else
  "${clean_env[@]}" "$@"
fi
