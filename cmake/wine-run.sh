#!/usr/bin/env bash
# Runs one Windows program under Wine with the build tree's private prefix.
#   wine-run.sh PREFIX ARCH program.exe [args...]
# ARCH is win32 (32-bit Wine) or win64 (64-bit Wine, for 64-bit test builds). The prefix is
# created on first use, under a lock so that parallel test runs do not race, and gets the
# CJK font replacements the window's captions need.
set -euo pipefail
prefix=$1 arch=$2
shift 2

export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ "$arch" = win32 ]; then
  export WINEARCH=win32
  loader=/usr/lib/wine/wine
else
  export WINEARCH=win64
  loader=/usr/lib/wine/wine64
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

mkdir -p "$(dirname "$prefix")"
{
  flock 9
  if [ ! -f "$prefix/.ds-ready" ]; then
    "$loader" wineboot -i >/dev/null 2>&1 9>&- || true
    "$loader" regedit "Z:${here//\//\\}\\wine-fonts.reg" >/dev/null 2>&1 9>&- || true
    touch "$prefix/.ds-ready"
  fi
} 9>"$prefix.lock"

exec "$loader" "$@"
