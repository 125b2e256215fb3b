"""The operator's four buttons in the shipped program, against the rasdial stand-in."""

import re
import shutil

from conftest import (BUILD, CONNECT, CURRENT_HOST_BOX, DIAL_LOG, DISCONNECT, ELAPSED, END_TIME, ENTRY_NAME,
                      PASSWORD, PING, RECONNECT, START_TIME, TASK_CODE, USER_NAME, cp936, wait_until, windows_path)
from test_cycle import DIAL_OUTPUT, HANGUP_CONNECTED, HANGUP_IDLE, log_lines

DATE_TIME = re.compile("^[0-9]{4}年[0-9]{1,2}月[0-9]{1,2}日([0-9]{1,2}时([0-9]{1,2}分([0-9]{1,2}秒)?)?)?$")


def fields(app):
    return app.probe.fields(TASK_CODE, START_TIME, END_TIME, DIAL_LOG, ELAPSED)


def assert_times(f):
    for control in (START_TIME, END_TIME):
        assert DATE_TIME.match(f[control].decode("cp936")), f[control].decode("cp936")


def test_connect_disconnect_reconnect(start_app, rasdial_log):
    # Delays far apart, so each figure shows which commands it spans.
    app = start_app(hangup_delay_ms=300, dial_delay_ms=3000)

    app.probe.click_and_wait(CONNECT)
    f = fields(app)
    assert f[TASK_CODE] == b"1"
    assert f[DIAL_LOG] == DIAL_OUTPUT
    assert int(f[ELAPSED]) >= 3000
    assert_times(f)

    app.probe.click_and_wait(DISCONNECT)
    f = fields(app)
    assert f[TASK_CODE] == b"2"
    assert f[DIAL_LOG] == HANGUP_CONNECTED
    assert 300 <= int(f[ELAPSED]) < 3000
    assert_times(f)

    app.probe.click_and_wait(RECONNECT)
    f = fields(app)
    assert f[TASK_CODE] == b"3"
    # Nothing was connected: the hang-up says so, then the dial output follows directly.
    assert f[DIAL_LOG] == HANGUP_IDLE + DIAL_OUTPUT
    # The reconnect button times both commands.
    assert int(f[ELAPSED]) >= 3000 + 300
    assert_times(f)

    assert log_lines(rasdial_log) == ["AutoADSL\tQTRW4287\t250473", "AutoADSL\t/disconnect",
                                      "AutoADSL\t/disconnect", "AutoADSL\tQTRW4287\t250473"]


def test_edited_fields_reach_the_command_as_typed(start_app, rasdial_log):
    app = start_app()
    app.probe.set(ENTRY_NAME, b"My Line")
    app.probe.set(USER_NAME, cp936("用户7"))
    app.probe.set(PASSWORD, b"p w")
    app.probe.click_and_wait(RECONNECT)
    # Spaces split arguments: the fields go into the command line unquoted.
    assert log_lines(rasdial_log) == ["My\tLine\t/disconnect", "My\tLine\t用户7\tp\tw"]

    app.probe.set(ENTRY_NAME, b"")
    app.probe.click_and_wait(DISCONNECT)
    assert log_lines(rasdial_log)[-1] == "/disconnect"


def test_ping_button_runs_ping_for_the_host_in_the_box(start_app, tmp_path):
    # The console's interpreter finds ping in its current directory first.
    shutil.copy(BUILD / "pingstandin.exe", tmp_path / "ping.exe")
    ping_log = tmp_path / "ping.log"
    app = start_app(cwd=tmp_path, extra_env={"DS_PING_LOG": windows_path(ping_log)})

    app.probe.click_and_wait(PING)
    assert wait_until(lambda: ping_log.exists() and ping_log.read_text().splitlines() == ["ping"])
    app.probe.set(CURRENT_HOST_BOX, b"127.0.0.1")
    app.probe.click_and_wait(PING)
    assert wait_until(lambda: ping_log.read_text().splitlines() == ["ping", "ping\t127.0.0.1"])
    # No field is written by the ping button.
    assert app.probe.get(TASK_CODE) == b""
