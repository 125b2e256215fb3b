#!/usr/bin/env bash
# Sets everything up, builds the program and starts it.
#
# On Windows: run build\product\dialserver.exe (or a copy of it) directly; with a real
# dial-up entry and lookup hosts nothing else is needed (see README).
#
# On Linux it runs under Wine. A machine without a dial-up line gets a simulated one: the
# rasdial stand-in (about a second per dial) and a loopback lookup service on port 8081,
# with the program pointed at it. Extra arguments go to the program (e.g. --port 19731).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

bash scripts/setup.sh
jobs=$(nproc)
arch=$(ds_wine_arch)

echo "building the product (32-bit dialserver.exe)..."
cmake -S . -B build/product -G Ninja -DCMAKE_BUILD_TYPE=Release -DDS_BUILD_TESTS=OFF \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build build/product -j "$jobs" >/dev/null

# The simulated line is the rasdial stand-in from the test fixtures.
if [ "$arch" = win32 ]; then
  rundir=build/windows32
else
  echo "note: this kernel runs no 32-bit programs; running the 64-bit build of the same code"
  rundir=build/windows64
fi
cmake -S . -B "$rundir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$(ds_toolchain_for "$arch")" >/dev/null
cmake --build "$rundir" -j "$jobs" --target dialserver rasdial >/dev/null

pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  WINEPREFIX="$PWD/$rundir/wineprefix" wineserver -k 2>/dev/null || true
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -z "${DISPLAY:-}" ]; then
  ds_start_xvfb
  echo "no display: the window is on a private X server, $DISPLAY"
fi

/usr/bin/python3 tests/fixtures/lookup_service.py &
pids+=($!)

port=19730
args=(--primary-host 127.0.0.1 --secondary-host 127.0.0.2 "$@")
for ((i = 0; i < ${#args[@]}; i++)); do
  [ "${args[$i]}" = --port ] && port=${args[$((i + 1))]:-$port}
done

winpath="Z:${PWD//\//\\}\\$rundir"
WINEPATH="${winpath//\//\\}" DS_RASDIAL_DELAY_MS=${DS_RASDIAL_DELAY_MS:-1000} \
  cmake/wine-run.sh "$PWD/$rundir/wineprefix" "$arch" "$rundir/dialserver.exe" "${args[@]}" &
pids+=($!)

cat <<MSG

dialserver is starting and will listen on TCP port $port (simulated line, loopback lookup service).
Send a request from another terminal:

    printf x | nc -q 15 127.0.0.1 $port | iconv -f GBK -t UTF-8; echo

The reply looks like:  1437，203.0.113.11，广东省广州市，  (nc ends 15 s after sending)
Close the window or press Ctrl-C here to stop.
MSG
wait "${pids[-1]}"
