"""The request cycle as a client meets it: one request, one redial, one exact reply."""

import socket
import threading

import pytest

from conftest import (CLIENT_ADDRESS, DIAL_LOG, ELAPSED, LOOKUP_RESULT, PUBLIC_IP, REGION, TASK_CODE,
                      connect, cp936, receive_reply, wait_until)

PAGE = "您的IP：203.0.113.5，地区：中国广东省广州市 电信，运营商：x"
COMMA = cp936("，")

# What the rasdial stand-in prints for AutoADSL, first hang-up (nothing connected) and dial.
DONE = cp936("命令已完成。\r\n")
HANGUP_IDLE = cp936("没有连接\r\n") + DONE
DIAL_OUTPUT = (cp936("正在连接到 AutoADSL...\r\n正在验证用户名及密码...\r\n正在网络上注册您的计算机...\r\n"
                     "已连接 AutoADSL。\r\n") + DONE)
HANGUP_CONNECTED = cp936("正在断开 AutoADSL 的连接...\r\n") + DONE

LOOPBACK_HOSTS = ["--primary-host", "127.0.0.1", "--secondary-host", "127.0.0.2"]
SILENT_HOSTS = ["--primary-host", "primary.lookup.invalid", "--secondary-host", "secondary.lookup.invalid"]


def request(port, payload=b"x"):
    with connect(port) as s:
        s.sendall(payload)
        return receive_reply(s)


def log_lines(path):
    return path.read_bytes().decode("cp936").splitlines() if path.exists() else []


def test_one_byte_gets_elapsed_ip_and_region(start_app, lookup_service, rasdial_log):
    service = lookup_service("127.0.0.1", PAGE.encode("utf-8"))
    # The hang-up is slower than the dial, so a figure that included it would show.
    app = start_app(*LOOPBACK_HOSTS, hangup_delay_ms=2500, dial_delay_ms=400)
    reply = request(app.port)

    f = app.probe.fields(ELAPSED, TASK_CODE, DIAL_LOG, LOOKUP_RESULT, PUBLIC_IP, REGION)
    assert reply == f[ELAPSED] + COMMA + b"203.0.113.5" + COMMA + cp936("广东省广州市") + COMMA
    assert 400 <= int(f[ELAPSED]) < 2500
    assert f[TASK_CODE] == b"3"
    assert f[DIAL_LOG] == HANGUP_IDLE + DIAL_OUTPUT
    assert f[LOOKUP_RESULT] == cp936(PAGE)
    assert (f[PUBLIC_IP], f[REGION]) == (b"203.0.113.5", cp936("广东省广州市"))

    assert len(service.requests) == 1
    request_line, headers = service.requests[0]
    assert request_line == "GET /plug/Node/Node_Log.asp?jd=15 HTTP/1.1"
    assert "Referer: http://127.0.0.1:8081/plug/Node/Node_Log.asp?jd=15" in headers
    assert log_lines(rasdial_log) == ["AutoADSL\t/disconnect", "AutoADSL\tQTRW4287\t250473"]


def test_silent_hosts_answer_timeout_1_without_a_lookup(start_app, lookup_service):
    service = lookup_service("127.0.0.1", PAGE.encode("utf-8"))
    app = start_app(*SILENT_HOSTS)
    before = {LOOKUP_RESULT: b"old page", PUBLIC_IP: b"198.51.100.1", REGION: cp936("北京")}
    for control, text in before.items():
        app.probe.set(control, text)

    reply = request(app.port)
    elapsed = app.probe.get(ELAPSED)
    assert reply == elapsed + cp936("，查询超时1，")
    assert service.requests == []
    assert app.probe.fields(*before) == before


@pytest.mark.parametrize("body,status,listening", [(b"", 200, True), (b"", 404, True), (None, None, False),
                                                   ("欢迎，没有地址".encode("utf-8"), 200, True)])
def test_failed_lookup_answers_timeout_2(start_app, lookup_service, body, status, listening):
    if listening:
        lookup_service("127.0.0.1", body, status)
    app = start_app(*LOOPBACK_HOSTS)
    app.probe.set(PUBLIC_IP, b"198.51.100.1")
    reply = request(app.port)
    assert reply == app.probe.get(ELAPSED) + cp936("，查询超时2，")


def test_failover_fetches_from_the_host_that_answered(start_app, lookup_service):
    primary = lookup_service("127.0.0.1", "IP：192.0.2.1，地区：中国北京".encode("utf-8"))
    secondary = lookup_service("127.0.0.2", "IP：192.0.2.2，地区：中国上海".encode("utf-8"))
    app = start_app("--primary-host", "primary.lookup.invalid", "--secondary-host", "127.0.0.2")
    reply = request(app.port)
    assert reply == app.probe.get(ELAPSED) + COMMA + b"192.0.2.2" + COMMA + cp936("上海") + COMMA
    assert primary.requests == []
    assert len(secondary.requests) == 1


def test_reply_goes_to_the_client_that_asked(start_app, lookup_service):
    lookup_service("127.0.0.1", PAGE.encode("utf-8"))
    app = start_app(*LOOPBACK_HOSTS)
    a = connect(app.port)
    b = connect(app.port)
    try:
        # B connected last; A asks.
        assert wait_until(lambda: app.probe.get(CLIENT_ADDRESS) == b"127.0.0.1:%d" % b.getsockname()[1])
        a.sendall(b"a")
        reply_a = receive_reply(a)
        assert reply_a.endswith(cp936("广东省广州市，"))
        assert app.probe.get(CLIENT_ADDRESS) == b"127.0.0.1:%d" % a.getsockname()[1]
        b.settimeout(1.0)
        with pytest.raises(socket.timeout):
            b.recv(100)
        b.sendall(b"b")
        assert receive_reply(b).endswith(cp936("广东省广州市，"))
    finally:
        a.close()
        b.close()


def test_simultaneous_requests_are_served_one_after_another(start_app, lookup_service, rasdial_log):
    lookup_service("127.0.0.1", PAGE.encode("utf-8"))
    app = start_app(*LOOPBACK_HOSTS)
    clients = [connect(app.port) for _ in range(3)]
    replies = [None] * 3

    def ask(i):
        clients[i].sendall(b"go")
        replies[i] = receive_reply(clients[i], timeout=180)

    threads = [threading.Thread(target=ask, args=(i,)) for i in range(3)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(timeout=300)
    for c in clients:
        c.close()
    for r in replies:
        assert r is not None and r.endswith(COMMA + b"203.0.113.5" + COMMA + cp936("广东省广州市") + COMMA)
    assert log_lines(rasdial_log) == ["AutoADSL\t/disconnect", "AutoADSL\tQTRW4287\t250473"] * 3


def test_client_that_leaves_early_does_not_stop_the_service(start_app, lookup_service, rasdial_log):
    lookup_service("127.0.0.1", PAGE.encode("utf-8"))
    app = start_app(*LOOPBACK_HOSTS, dial_delay_ms=1000)
    with connect(app.port) as s:
        s.sendall(b"x")
    assert wait_until(lambda: len(log_lines(rasdial_log)) == 2, timeout=120)
    assert request(app.port).endswith(cp936("广东省广州市，"))
    assert len(log_lines(rasdial_log)) == 4


def usage(app):
    out = dict(line.split() for line in app.probe.run("usage").decode().splitlines())
    return {k: int(v) for k, v in out.items()}


def test_soak_fifty_requests_no_loss_no_growth(start_app, lookup_service):
    lookup_service("127.0.0.1", PAGE.encode("utf-8"))
    app = start_app(*LOOPBACK_HOSTS)
    expected_tail = COMMA + b"203.0.113.5" + COMMA + cp936("广东省广州市") + COMMA
    baseline = None
    for i in range(50):
        reply = request(app.port)
        assert reply.endswith(expected_tail), (i, reply)
        assert reply[:-len(expected_tail)].isdigit(), (i, reply)
        if i == 9:
            baseline = usage(app)
    final = usage(app)
    # After warming up, forty more cycles leave no trace: no handles kept, memory flat.
    assert final["handles"] <= baseline["handles"] + 5, (baseline, final)
    assert final["workingset"] <= baseline["workingset"] + 8 * 1024 * 1024, (baseline, final)
