#!/usr/bin/env bash
# Sets everything up and runs every test: the native unit tests (with sanitizers), the
# Windows unit, Win32 and end-to-end tests under Wine and Xvfb, the product build check
# and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

bash scripts/setup.sh

jobs=$(nproc)
arch=$(ds_wine_arch)
failed=()
stages=0

step() { echo; echo "=== $*"; stages=$((stages + 1)); }

step "native build and unit tests"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j "$jobs"
(cd build/native && ctest --output-on-failure) || failed+=(native)

step "product: 32-bit dialserver.exe"
# Where 32-bit Wine runs, the product tree also holds the Windows tests.
[ "$arch" = win32 ] && tests=ON || tests=OFF
cmake -S . -B build/product -G Ninja -DCMAKE_BUILD_TYPE=Release -DDS_BUILD_TESTS=$tests \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/product -j "$jobs"
bash scripts/check-product.sh build/product/dialserver.exe || failed+=(product)

step "Windows build ($arch Wine) and its tests"
if [ "$arch" = win32 ]; then
  windir=build/product
else
  echo "note: this kernel runs no 32-bit programs; testing the 64-bit build under 64-bit Wine"
  windir=build/windows64
  cmake -S . -B "$windir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$(ds_toolchain_for "$arch")" >/dev/null
  cmake --build "$windir" -j "$jobs"
fi
ds_start_xvfb
cleanup() {
  WINEPREFIX="$PWD/$windir/wineprefix" wineserver -k 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
(cd "$windir" && ctest --output-on-failure) || failed+=(windows)

if [ -x scripts/fuzz.sh ]; then
  step "fuzzing (bounded)"
  bash scripts/fuzz.sh || failed+=(fuzz)
fi

echo
[ ${#failed[@]} -gt 0 ] && echo "failed stages: ${failed[*]}"
echo "stages: $((stages - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
