"""End-to-end harness: the shipped dialserver.exe under Wine and Xvfb.

The program is started with the test's options, its window is driven through the UI probe
(uiprobe.exe, by control ID, texts as hex of their code-page-936 bytes), clients talk TCP
to it on loopback, and a loopback HTTP server plays the lookup service.
"""

import http.server
import os
import signal
import socket
import subprocess
import tempfile
import threading
import time
from pathlib import Path

import pytest

BUILD = Path(os.environ.get("DS_BUILD", "build/win64")).resolve()
SOURCE = Path(os.environ.get("DS_SOURCE", Path(__file__).resolve().parents[2]))
ARCH = os.environ.get("DS_WINE_ARCH", "win64")
WINE_RUN = SOURCE / "cmake" / "wine-run.sh"
PREFIX = BUILD / "wineprefix"
ARTIFACTS = BUILD / "artifacts"

# Control IDs: edit field N is 1000+N, label N is 2000+N, button N is 3000+N.
ENTRY_NAME, USER_NAME, PASSWORD, CLIENT_ADDRESS, START_TIME, TASK_CODE = 1001, 1002, 1003, 1004, 1005, 1006
ELAPSED, DIAL_LOG, END_TIME, CURRENT_HOST_BOX, LOOKUP_RESULT, PUBLIC_IP, REGION = 1007, 1008, 1009, 1010, 1011, 1012, 1013
PRIMARY_STATUS_LABEL, SECONDARY_STATUS_LABEL = 2014, 2015
CONNECT, DISCONNECT, RECONNECT, PING = 3001, 3002, 3003, 3004

CAPTION = "拨号服务端".encode("cp936")


def windows_path(p):
    return "Z:" + str(p).replace("/", "\\")


def cp936(s):
    return s.encode("cp936")


def run_windows(args, env=None, timeout=120):
    """Runs a Windows program to completion; returns (exit code, stdout, stderr).

    Output goes through files, not pipes: Wine's helper processes started on the way may
    inherit the handles and keep a pipe open long after the program has ended.
    """
    full_env = dict(os.environ, **(env or {}))
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        proc = subprocess.Popen([str(WINE_RUN), str(PREFIX), ARCH, *map(str, args)], env=full_env,
                                stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        try:
            code = proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=30)
            raise
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()


def wine(*args, env=None, timeout=120, check=True):
    """Runs a Windows program to completion and returns its standard output as bytes."""
    code, out, err = run_windows(args, env=env, timeout=timeout)
    if check and code != 0:
        raise AssertionError(f"{args} exited {code}: {err.decode(errors='replace')}")
    return out


class Probe:
    """The UI probe, pointed at the running main window."""

    def __init__(self, desktop=None):
        self.env = {"DS_UIPROBE_DESKTOP": desktop.split(",")[0]} if desktop else {}

    def run(self, *args, timeout=120, check=True):
        return wine(BUILD / "uiprobe.exe", *args, env=self.env, timeout=timeout, check=check)

    def get(self, control):
        return bytes.fromhex(self.run("get", control).decode().strip())

    def set(self, control, data: bytes):
        self.run("set", control, data.hex()) if data else self.run("set", control)

    def click(self, control):
        self.run("click", control)

    def click_and_wait(self, control, timeout=600):
        self.run("clickwait", control, timeout=timeout)

    def caption(self):
        return bytes.fromhex(self.run("caption").decode().strip())

    def geometry(self):
        out = {}
        for line in self.run("geometry").decode().splitlines():
            key, *values = line.split()
            out[key] = [int(v, 16) if key == "style" else int(v) for v in values]
        return out

    def controls(self):
        rows = {}
        for line in self.run("controls").decode().splitlines():
            parts = line.split(" ")
            cid, cls, left, top, width, height = parts[:6]
            text = bytes.fromhex(parts[6]) if len(parts) > 6 else b""
            rows[int(cid)] = (cls, int(left), int(top), int(width), int(height), text)
        return rows

    def fields(self, *controls):
        return {c: self.get(c) for c in controls}


class App:
    """One running dialserver.exe."""

    def __init__(self, args, env, desktop=None, cwd=None):
        self.port = None
        self.args = list(map(str, args))
        self.probe = Probe(desktop)
        cmd = [str(WINE_RUN), str(PREFIX), ARCH]
        if desktop:
            cmd += ["explorer", f"/desktop={desktop}", str(BUILD / "dialserver.exe")]
        else:
            cmd += [str(BUILD / "dialserver.exe")]
        self.proc = subprocess.Popen(cmd + list(map(str, args)), env=dict(os.environ, **env), cwd=cwd,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        self.probe.run("wait", "90", timeout=150)

    def windows_processes(self):
        """Linux pids of this run's dialserver.exe (its argument list is unique to the run)."""
        pids = []
        wanted = "\0".join(self.args).encode()
        for entry in Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                cmdline = (entry / "cmdline").read_bytes()
            except OSError:
                continue
            if b"dialserver.exe" in cmdline and wanted in cmdline and b"explorer" not in cmdline:
                pids.append(int(entry.name))
        return pids

    def stop(self):
        self.probe.run("close", check=False, timeout=60)
        wait_until(lambda: not self.windows_processes(), timeout=30)
        for pid in self.windows_processes():
            os.kill(pid, signal.SIGKILL)
        try:
            self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait(timeout=30)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


@pytest.fixture(scope="session", autouse=True)
def display():
    """A private X server when the caller did not provide one."""
    proc = None
    if not os.environ.get("DISPLAY"):
        for n in range(200, 230):
            if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
                proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                for _ in range(50):
                    if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                        break
                    time.sleep(0.1)
                os.environ["DISPLAY"] = f":{n}"
                break
    yield
    if proc:
        proc.terminate()
        proc.wait(timeout=10)


@pytest.fixture
def rasdial_log(tmp_path):
    return tmp_path / "rasdial.log"


@pytest.fixture
def start_app(rasdial_log):
    """Starts dialserver.exe with options; the rasdial stand-in is on its PATH."""
    apps = []

    def start(*args, port=None, hangup_delay_ms=0, dial_delay_ms=0, desktop=None, extra_env=None, cwd=None):
        port = port or free_port()
        env = {
            "WINEPATH": windows_path(BUILD),
            "DS_RASDIAL_LOG": windows_path(rasdial_log),
            "DS_RASDIAL_DELAY_MS": str(dial_delay_ms),
            "DS_RASDIAL_HANGUP_DELAY_MS": str(hangup_delay_ms),
        }
        env.update(extra_env or {})
        app = App(["--port", port, *args], env, desktop=desktop, cwd=cwd)
        app.port = port
        apps.append(app)
        return app

    yield start
    for app in apps:
        app.stop()


class LookupService:
    """A loopback HTTP server standing in for a lookup host on port 8081."""

    def __init__(self, address, body: bytes, status=200):
        self.body = body
        self.status = status
        self.requests = []
        service = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                service.requests.append((self.requestline, str(self.headers)))
                self.send_response(service.status)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(service.body)))
                self.end_headers()
                self.wfile.write(service.body)

            def log_message(self, *args):
                pass

        http.server.ThreadingHTTPServer.allow_reuse_address = True
        self.server = http.server.ThreadingHTTPServer((address, 8081), Handler)
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


@pytest.fixture
def lookup_service():
    services = []

    def start(address, body, status=200):
        s = LookupService(address, body, status)
        services.append(s)
        return s

    yield start
    for s in services:
        s.close()


def connect(port, timeout=120):
    s = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    return s


def receive_reply(sock, timeout=120):
    """Reads until the server has sent something and then paused; replies carry no terminator."""
    sock.settimeout(timeout)
    data = sock.recv(4096)
    sock.settimeout(1.0)
    try:
        while True:
            more = sock.recv(4096)
            if not more:
                break
            data += more
    except socket.timeout:
        pass
    return data


def wait_until(predicate, timeout=60, step=0.2):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(step)
    return False
