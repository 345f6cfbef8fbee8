#!/usr/bin/env bash
# Installs the system packages Keymint needs to build, test and run; with --wine also the
# mingw-w64 cross compiler, Wine, its fonts and the Turkish locale that the Windows build and
# tests need; with --package the Debian packaging tools and the validators for the desktop entry,
# the metainfo and the package.
# Idempotent and quiet: packages already present are not touched.
set -euo pipefail

packages=(
  build-essential cmake make g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libgtest-dev libgmock-dev libsqlite3-dev
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core fonts-liberation2
  util-linux strace e2fsprogs dosfstools
  at-spi2-core python3-pyatspi dbus
  libssl-dev libsecret-1-dev gnome-keyring libsecret-tools
  libwayland-dev qt6-wayland weston sway wl-clipboard xdotool
)
wine=false
for flag in "$@"; do
  case "$flag" in
    --wine) wine=true; packages+=(g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev wine wine64 fonts-wine locales python3 unzip nsis) ;;
    --package) packages+=(dpkg-dev lintian desktop-file-utils appstream) ;;
    *) echo "deps.sh: unknown option $flag (use --wine, --package)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -qq >/dev/null
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: tr_TR gives the Turkish code page 1254.
if $wine && ! locale -a 2>/dev/null | grep -qi '^tr_TR\.utf-\?8$'; then
  "${sudo[@]}" localedef -i tr_TR -f UTF-8 tr_TR.UTF-8
fi
