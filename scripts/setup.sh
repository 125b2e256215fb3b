#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, only what is missing.
# Run as root (or with sudo available).
set -euo pipefail

sudo_() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev googletest libbenchmark-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine32:i386 wine64 xvfb fonts-wqy-zenhei x11-utils imagemagick
  python3 python3-pytest netcat-openbsd procps openssl
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_ dpkg --add-architecture i386
  updated=no
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ "${updated:-}" = no ]; then
  echo "setup: installing ${missing[*]}"
  sudo_ apt-get update -q
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
