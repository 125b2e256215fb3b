#!/usr/bin/env bash
# Builds a native Release tree without sanitizers in build/bench and runs every benchmark
# program there. Each operation runs beside its plain baseline; the summary gives the ratio
# of the two at each input size.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DDS_SANITIZE=OFF >/dev/null
benches=$(cd build/bench && ninja -t targets all | sed -n 's/^\(bench_[A-Za-z0-9_]*\): .*/\1/p' | sort -u)
[ -n "$benches" ] || { echo "no benchmark programs (is libbenchmark-dev installed?)"; exit 1; }
# shellcheck disable=SC2086
cmake --build build/bench -j2 --target $benches

for b in $benches; do
  echo "=== $b"
  ./build/bench/$b --benchmark_out="build/bench/$b.json" --benchmark_out_format=json "$@"
  /usr/bin/python3 - "build/bench/$b.json" <<'PY'
import json, re, sys
rows = json.load(open(sys.argv[1]))["benchmarks"]
times = {}
for r in rows:
    m = re.fullmatch(r"BM_(\w+)/(\d+)", r["name"])
    if m and r.get("run_type") == "iteration":
        times[(m.group(1), int(m.group(2)))] = r["cpu_time"]
print("ratio to baseline (cpu time):")
pairs = [(op, base) for op, base in [("FindText", "FindBaseline"), ("SplitText", "SplitBaseline"),
         ("ReplaceText", "ReplaceBaseline"), ("TrimText", "TrimBaseline"), ("Utf8ToText", "Utf8Baseline")]]
sizes = sorted({n for (_, n) in times})
print("  %-12s" % "" + "".join("%12s" % (str(n // 1024) + " KiB") for n in sizes))
for op, base in pairs:
    cells = []
    for n in sizes:
        a, b = times.get((op, n)), times.get((base, n))
        cells.append("%12s" % ("%.2f" % (a / b) if a and b else "-"))
    print("  %-12s" % op + "".join(cells))
PY
done
