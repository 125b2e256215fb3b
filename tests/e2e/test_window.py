"""The main window as the operator meets it: captions, fields, geometry, options."""

import socket
import subprocess

import pytest

from conftest import ARTIFACTS, BUILD, CAPTION, cp936, run_windows, wine

WS_THICKFRAME = 0x00040000
WS_MAXIMIZEBOX = 0x00010000
WS_MINIMIZEBOX = 0x00020000
WS_SYSMENU = 0x00080000

# ID: (class, left, top, width, height, text at start)
EXPECTED_CONTROLS = {
    2001: ("Static", 20, 20, 80, 24, "名称"),
    1001: ("Edit", 120, 20, 80, 20, "AutoADSL"),
    2002: ("Static", 20, 54, 80, 24, "用户"),
    1002: ("Edit", 120, 54, 80, 20, "QTRW4287"),
    2014: ("Static", 220, 54, 80, 24, "标签"),
    2003: ("Static", 20, 88, 80, 24, "密码"),
    1003: ("Edit", 120, 88, 80, 20, "250473"),
    2015: ("Static", 220, 88, 80, 24, "标签"),
    2004: ("Static", 20, 122, 80, 24, "客户"),
    1004: ("Edit", 120, 122, 180, 20, ""),
    2005: ("Static", 20, 156, 80, 24, "时间1"),
    1005: ("Edit", 120, 152, 180, 20, ""),
    2006: ("Static", 20, 190, 80, 24, "任务"),
    1006: ("Edit", 120, 190, 80, 20, ""),
    2007: ("Static", 20, 224, 80, 24, "耗时"),
    1007: ("Edit", 120, 224, 80, 20, ""),
    2008: ("Static", 20, 258, 80, 24, "日志"),
    1008: ("Edit", 120, 258, 180, 20, ""),
    2009: ("Static", 20, 292, 80, 24, "时间2"),
    1009: ("Edit", 120, 292, 180, 20, ""),
    3004: ("Button", 230, 321, 80, 32, ""),
    2010: ("Static", 20, 326, 80, 24, "接口"),
    1010: ("Edit", 120, 326, 100, 20, ""),
    2011: ("Static", 20, 360, 80, 24, "查询"),
    1011: ("Edit", 120, 360, 180, 20, ""),
    2012: ("Static", 20, 394, 80, 24, "查IP"),
    1012: ("Edit", 120, 394, 180, 20, ""),
    2013: ("Static", 20, 428, 80, 24, "地区"),
    1013: ("Edit", 120, 428, 180, 20, ""),
    3001: ("Button", 20, 462, 80, 32, "连接"),
    3002: ("Button", 120, 462, 80, 32, "断开"),
    3003: ("Button", 220, 462, 80, 32, "重连"),
}


def test_every_control_at_its_place_with_its_text(start_app):
    app = start_app()
    controls = app.probe.controls()
    assert set(controls) == set(EXPECTED_CONTROLS)
    for cid, (cls, left, top, width, height, text) in EXPECTED_CONTROLS.items():
        assert controls[cid] == (cls, left, top, width, height, cp936(text)), cid
    assert app.probe.caption() == CAPTION


def test_window_is_fixed_size_centred_without_maximise(start_app):
    app = start_app(desktop="dsgeometry,800x600")
    g = app.probe.geometry()
    left, top, width, height = g["window"]
    screen_w, screen_h = g["screen"]
    assert (width, height) == (325, 530)
    assert (left, top) == ((screen_w - 325) // 2, (screen_h - 530) // 2)
    style = g["style"][0]
    assert style & WS_MAXIMIZEBOX == 0
    assert style & WS_THICKFRAME == 0
    assert style & WS_MINIMIZEBOX and style & WS_SYSMENU


@pytest.mark.parametrize("text", [b"", b"abc", cp936("中国香港") + b"\r\n" + b"line2\r\n", b"x" * 12000])
def test_field_gives_back_what_was_written(start_app, text):
    app = start_app()
    app.probe.set(1011, text)
    assert app.probe.get(1011) == text


def test_screenshot_of_the_window(start_app):
    """Kept as an artifact to look at: Chinese captions must render, nothing may overlap."""
    app = start_app(desktop="dsshot,800x600")
    app.probe.set(1011, cp936("IP：203.0.113.5，地区：中国广东省广州市 电信"))
    ARTIFACTS.mkdir(parents=True, exist_ok=True)
    shot = ARTIFACTS / "main-window.png"
    subprocess.run(["import", "-window", "root", str(shot)], check=True, timeout=60)
    assert shot.stat().st_size > 1000


@pytest.mark.parametrize("args", [["--port", "abc"], ["--port", "0"], ["--port", "70000"],
                                  ["--primary-host"], ["--bogus"], ["--secondary-host", ""]])
def test_malformed_option_shows_usage_and_fails(args):
    code, out, err = run_windows([BUILD / "dialserver.exe", *args])
    assert code != 0
    assert b"usage: dialserver" in err + out


def test_port_in_use_is_shown_in_the_caption(start_app):
    holder = socket.socket()
    holder.bind(("0.0.0.0", 0))
    holder.listen(1)
    port = holder.getsockname()[1]
    try:
        app = start_app(port=port)
        assert app.probe.caption() == CAPTION + cp936(f" - 端口{port}无法监听")
        # The rest of the program still works.
        assert app.probe.get(1001) == b"AutoADSL"
    finally:
        holder.close()


@pytest.mark.parametrize("version,expected", [("win7", 0x0601), ("win10", 0x0A00), ("win81", 0x0603)])
def test_os_version_read_from_the_process_environment_block(version, expected):
    key = "HKCU\\Software\\Wine"
    wine("reg", "add", key, "/v", "Version", "/t", "REG_SZ", "/d", version, "/f")
    try:
        out = wine(BUILD / "osversion_probe.exe").decode().split()
        assert int(out[0], 16) == expected
    finally:
        wine("reg", "delete", key, "/v", "Version", "/f", check=False)
