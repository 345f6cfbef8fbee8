#!/usr/bin/env bash
# Runs the no-repeat check's stamp tests on loop-mounted file systems whose times have a coarse
# tick: ext4 with one-second times (128-byte inodes) and FAT, where a portable folder on a USB
# stick lives. Each that this machine cannot mount (no root, no loop device, no such driver in
# the kernel) is skipped with a message; exit 77 when none could be.
#   coarse_times.sh APP_TESTS
set -uo pipefail
app_tests=$1
work=$(mktemp -d)
mounted=()
cleanup() {
  for point in "${mounted[@]}"; do umount "$point" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
ran=0
status=0
try() {  # NAME MKFS...
  local name=$1
  shift
  truncate -s 16M "$work/$name.img" && "$@" "$work/$name.img" >/dev/null 2>&1 || {
    echo "$name: cannot make the file system here; skipped"
    return
  }
  mkdir -p "$work/$name"
  if ! mount -o loop "$work/$name.img" "$work/$name" 2>/dev/null; then
    echo "$name: cannot be mounted here (root, a loop device and the kernel's driver are needed); skipped"
    return
  fi
  mounted+=("$work/$name")
  mkdir "$work/$name/folder"
  echo "$name: $(stat -c '%y' "$work/$name/folder")"
  KEYMINT_COARSE_FOLDER=$work/$name/folder "$app_tests" --gtest_filter='RecordsStamp.*' || status=1
  ran=$((ran + 1))
}
try ext4-one-second mkfs.ext4 -q -F -I 128
try fat mkfs.vfat
[ "$ran" -gt 0 ] || exit 77
exit $status
