#!/usr/bin/env bash
# Runs the suites whose tests depend on file permissions again as an unprivileged user: root gets
# past the permission bits, so as root those tests would pass whether the program is right or not.
# Usage: scripts/unprivileged-tests.sh BUILD_DIR
set -euo pipefail
build=${1:?build folder}
suites=(posix_tests posix_registry_tests ini_tests)

if [ "$(id -u)" -ne 0 ]; then
  echo "unprivileged tests: already running as $(id -un); the main run covered them"
  exit 0
fi

# A copy in a folder the unprivileged user can read, wherever the checkout lives.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 0755 "$work"
mkdir -m 0777 "$work/home"
for suite in "${suites[@]}"; do
  install -m 0755 "$build/tests/$suite" "$work/$suite"
done

failed=0
for suite in "${suites[@]}"; do
  if ! (cd "$work/home" && setpriv --reuid=65534 --regid=65534 --clear-groups \
          env -i PATH=/usr/bin:/bin HOME="$work/home" TMPDIR="$work/home" \
          XDG_CONFIG_HOME="$work/home/.config" "$work/$suite" --gtest_brief=1); then
    echo "unprivileged tests: $suite failed"
    failed=1
  fi
done
exit $failed
