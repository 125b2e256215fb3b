#!/usr/bin/env bash
# Builds a native Release tree without sanitizers in build/bench and runs every benchmark
# program there. Each operation runs beside its plain baseline; the summary gives the ratio
# of the two at each input size.
#
# Then the request latency of the Windows program under Wine, beside the floor of the same
# platform work (bench/cycle_bench.py). Pass --no-cycle to skip it.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

cycle=yes
if [ "${1:-}" = --no-cycle ]; then cycle=no; shift; fi

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DDS_SANITIZE=OFF >/dev/null
benches=$(cd build/bench && ninja -t targets all | sed -n 's/^\(bench_[A-Za-z0-9_]*\): .*/\1/p' | sort -u)
[ -n "$benches" ] || { echo "no benchmark programs (is libbenchmark-dev installed?)"; exit 1; }
# shellcheck disable=SC2086
cmake --build build/bench -j2 --target $benches

# glibc hands blocks of a megabyte back to the kernel on every free, and each run then pays
# to fault the pages in again (dearly on a virtual machine), which swamps the 1 MiB figures
# of baselines and operations alike. Keeping freed memory in the process measures the
# operations themselves; set GLIBC_TUNABLES to something else (or empty) to see the raw cost.
export GLIBC_TUNABLES=${GLIBC_TUNABLES-glibc.malloc.mmap_threshold=268435456:glibc.malloc.trim_threshold=1073741824}

for b in $benches; do
  echo "=== $b"
  ./build/bench/$b --benchmark_out="build/bench/$b.json" --benchmark_out_format=json "$@"
  /usr/bin/python3 - "build/bench/$b.json" <<'PY'
import json, re, sys
rows = json.load(open(sys.argv[1]))["benchmarks"]
times = {}
# With repetitions the medians stand for the runs; without, the single run does.
for r in rows:
    m = re.fullmatch(r"BM_(\w+)/(\d+)", r.get("run_name", r["name"]))
    if not m:
        continue
    key = (m.group(1), int(m.group(2)))
    if r.get("run_type") == "aggregate" and r.get("aggregate_name") == "median":
        times[key] = r["cpu_time"]
    elif r.get("run_type") == "iteration":
        times.setdefault(key, r["cpu_time"])
pairs = [("FindText", "FindBaseline"), ("SplitText", "SplitBaseline"), ("ReplaceText", "ReplaceBaseline"),
         ("TrimText", "TrimBaseline"), ("Utf8ToText", "Utf8Baseline")]
sizes = sorted({n for (_, n) in times})
head = "".join("%20s" % ("%d KiB" % (n // 1024)) for n in sizes)
print("cpu ns per byte (operation / baseline) and their ratio:")
print("  %-12s%s" % ("", head))
for op, base in pairs:
    cells = []
    for n in sizes:
        a, b = times.get((op, n)), times.get((base, n))
        cells.append("%20s" % ("%.3f/%.3f = %.1f" % (a / n, b / n, a / b) if a and b else "-"))
    print("  %-12s%s" % (op, "".join(cells)))
PY
done

[ "$cycle" = yes ] || exit 0
arch=$(ds_wine_arch)
dir=build/bench-$arch
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$(ds_toolchain_for "$arch")" >/dev/null
cmake --build "$dir" -j2 --target dialserver rasdial uiprobe cycle_floor_win32
[ -n "${DISPLAY:-}" ] || ds_start_xvfb
trap 'WINEPREFIX="$PWD/$dir/wineprefix" wineserver -k 2>/dev/null || true; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT
echo "=== request latency ($arch Wine)"
DS_BUILD="$PWD/$dir" DS_WINE_ARCH=$arch DS_SOURCE="$PWD" /usr/bin/python3 bench/cycle_bench.py "$PWD/$dir" 30
