# Shared by the run and test scripts: which Wine this machine can run, and a private X server.

# 32-bit Wine needs the kernel's 32-bit emulation; some machines have it switched off.
# There only 64-bit Wine works, and the Windows tests run a 64-bit build of the same tree.
ds_wine_arch() {
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
}

ds_toolchain_for() {
  if [ "$1" = win32 ]; then echo cmake/mingw-i686.cmake; else echo cmake/mingw-x86_64.cmake; fi
}

# Starts Xvfb on a free display and exports DISPLAY; XVFB_PID names the process to stop.
ds_start_xvfb() {
  local n
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] && continue
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [ -e /tmp/.X11-unix/X$n ] && { export DISPLAY=:$n; return 0; }
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "could not start Xvfb" >&2
  return 1
}
