#!/usr/bin/env python3
"""Request latency of the shipped program against the floor of its platform work.

With an instant rasdial stand-in and a loopback lookup service, measures the time from a
client's byte to its complete reply over ROUNDS requests, then runs cycle_floor_win32.exe,
which does the same platform work back to back (two captured cmd.exe commands, one ICMP echo,
one WinInet GET), and reports both medians and their ratio.

    bench/cycle_bench.py BUILD_DIR [ROUNDS]
"""

import os
import socket
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
os.environ.setdefault("DS_BUILD", sys.argv[1] if len(sys.argv) > 1 else "build/win64")

import conftest  # noqa: E402  (the end-to-end harness: Wine, probe, lookup service)

PAGE = "您的IP：203.0.113.5，地区：中国广东省广州市 电信，运营商：x".encode("utf-8")
WARMUP = 3


def request_ms(port):
    with socket.create_connection(("127.0.0.1", port), timeout=120) as s:
        start = time.perf_counter()
        s.sendall(b"x")
        data = b""
        # A result reply is complete at its third full-width comma.
        while data.count("，".encode("cp936")) < 3:
            chunk = s.recv(4096)
            if not chunk:
                break
            data += chunk
        return (time.perf_counter() - start) * 1000, data


def main():
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    service = conftest.LookupService("127.0.0.1", PAGE)
    log = Path(conftest.BUILD) / "bench-rasdial.log"
    env = {"WINEPATH": conftest.windows_path(conftest.BUILD), "DS_RASDIAL_LOG": conftest.windows_path(log)}
    app = conftest.App(["--port", conftest.free_port(), "--primary-host", "127.0.0.1",
                        "--secondary-host", "127.0.0.2"], env)
    port = int(app.args[1])
    try:
        cycle = []
        for i in range(WARMUP + rounds):
            ms, reply = request_ms(port)
            if not reply.endswith("广东省广州市，".encode("cp936")):
                raise SystemExit(f"unexpected reply {reply!r}")
            if i >= WARMUP:
                cycle.append(ms)
    finally:
        app.stop()

    out = conftest.wine(conftest.BUILD / "cycle_floor_win32.exe", WARMUP + rounds, "AutoADSL", "QTRW4287",
                        "250473", "127.0.0.1", "127.0.0.1", "/plug/Node/Node_Log.asp?jd=15",
                        env=env, timeout=1800)
    service.close()
    rows = [line.split() for line in out.decode().splitlines()]
    if any(int(r[3]) != len(PAGE) or int(r[2]) < 1 for r in rows):
        raise SystemExit(f"floor rounds did not do the whole work: {rows}")
    floor = [float(r[0]) for r in rows[WARMUP:]]

    c, f = statistics.median(cycle), statistics.median(floor)
    print(f"request cycle: median {c:.1f} ms over {len(cycle)} requests (min {min(cycle):.1f}, max {max(cycle):.1f})")
    print(f"platform floor: median {f:.1f} ms over {len(floor)} rounds (min {min(floor):.1f}, max {max(floor):.1f})")
    print(f"ratio cycle/floor: {c / f:.3f} (goal <= 1.25)")


if __name__ == "__main__":
    main()
