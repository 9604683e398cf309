#!/usr/bin/env python3
"""pathkeep-cli simulate: the sentences of a played track checked field by
field against the track's points, with the RMC field rules written out here
in Python (degrees and minutes cut to four decimals, XOR checksum); then the
TCP server, TCP client and serial outputs, and the errors.

Usage: simulate_test.py PATHKEEP_CLI
"""
import os
import pty
import re
import select
import socket
import subprocess
import sys
import tempfile
import threading
import time
import tty

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from script_checks import check, failures, free_port  # noqa: E402

CLI = sys.argv[1]
ENV = dict(os.environ, TZ="UTC")

# Five points due north-east, ten seconds apart (UTC, and the tests run in UTC).
POINTS = [(52.1, 5.1, "120000"), (52.101, 5.1, "120010"), (52.102, 5.101, "120020"),
          (52.103, 5.102, "120030"), (52.104, 5.103, "120040")]

GPX = """<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
<trk><name>Walk</name><trkseg>
%s
</trkseg></trk>
<trk><name>Empty</name><trkseg></trkseg></trk>
</gpx>
""" % "\n".join('<trkpt lat="%s" lon="%s"><time>2008-03-08T%s:%s:%sZ</time></trkpt>'
                % (lat, lon, t[0:2], t[2:4], t[4:6]) for lat, lon, t in POINTS)



def checksum_ok(sentence):
    body, star, digits = sentence.partition("*")
    s = 0
    for c in body[1:]:
        s ^= ord(c)
    return star == "*" and digits == "%02X" % s


def nmea_field(value, degree_digits):
    """Decimal degrees -> (dddmm.mmmm, sign) with the minutes cut, not rounded."""
    v = abs(value)
    d = int(v)
    minutes = "%.10f" % ((v - d) * 60)
    whole, frac = minutes.split(".")
    return "%0*d%02d.%s" % (degree_digits, d, int(whole), frac[:4]), value < 0


def expect_position(sentence, lat, lon):
    f = sentence.split(",")
    la, south = nmea_field(lat, 2)
    lo, west = nmea_field(lon, 3)
    return f[3] == la and f[4] == ("S" if south else "N") and f[5] == lo and f[6] == ("W" if west else "E")


def run(args, timeout=30):
    p = subprocess.run([CLI, "simulate"] + args, capture_output=True, timeout=timeout, env=ENV)
    return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


def sentences(raw):
    check(raw == "" or raw.endswith("\r\n"), "lines end in CR LF")
    return [l for l in raw.split("\r\n") if l]



def read_until_closed(sock, deadline):
    data = b""
    sock.settimeout(0.2)
    while time.time() < deadline:
        try:
            chunk = sock.recv(4096)
        except socket.timeout:
            continue
        if not chunk:
            break
        data += chunk
    return data.decode("latin-1")


with tempfile.TemporaryDirectory() as tmp:
    ENV["PATHKEEP_HOME"] = os.path.join(tmp, "home")
    gpx = os.path.join(tmp, "walk.gpx")
    with open(gpx, "w") as f:
        f.write(GPX)

    # Original times: points 1 to 4 with their own times, then the end.
    rc, out, err = run([gpx, "--time", "original", "--interval", "0", "--stdout"])
    got = sentences(out)
    check(rc == 0, "original: exit 0", err)
    check(len(got) == 4, "original: points 1-4 are sent", got)
    for i, s in enumerate(got[:4]):
        lat, lon, t = POINTS[i]
        check(checksum_ok(s), "original %d: checksum" % i, s)
        f = s.split(",")
        check(f[0] == "$GPRMC" and f[1] == t and f[2] == "A" and f[9] == "080308", "original %d: time and date" % i, s)
        check(expect_position(s, lat, lon), "original %d: position" % i, s)
        check(f[10:12] == ["0.9", "W"] and f[12].startswith("A*"), "original %d: variation and mode" % i, s)
    check("4 sentences sent" in err, "original: the count on stderr", err)

    # Repeating, cut by --count: the fifth sentence is point 1 again.
    rc, out, err = run([gpx, "--track", "Walk", "--time", "original", "--interval", "0", "--repeat",
                        "--count", "7", "--stdout"])
    got = sentences(out)
    check(rc == 0 and len(got) == 7, "repeat: seven sentences", got)
    check(len(got) == 7 and got[4].split(",")[1] == "120000" and got[5].split(",")[1] == "120010",
          "repeat: starts again at point 1", got)

    # A start time of our own: each sentence a second later (interval 0 keeps
    # the times a second apart).
    rc, out, err = run([gpx, "--time", "31-12-2009 23:59:58", "--interval", "0", "--count", "3", "--stdout"])
    got = sentences(out)
    check(rc == 0 and [s.split(",")[1] for s in got] == ["235959", "000000", "000001"],
          "start time: one second a sentence", got)
    check([s.split(",")[9] for s in got] == ["311209", "010110", "010110"], "start time: the date rolls over", got)

    # Given speed: point 1 at once, then 10 m a second, 19.438 knots.
    rc, out, err = run([gpx, "--time", "speed", "--speed", "10", "--interval", "0", "--count", "3", "--stdout"])
    got = sentences(out)
    check(rc == 0 and len(got) == 3, "speed: three sentences", got)
    check(all(s.split(",")[7] == "19.438" for s in got), "speed: 19.438 knots", got)
    check(expect_position(got[0], 52.1, 5.1), "speed: starts at point 1", got[0])
    # 10 m north of 52.1 N: 0.0000898 degree = 0.0054 minutes (cut to 0.0053).
    check(got[1].split(",")[3] == "5206.0053", "speed: ten metres on", got[1])

    # Errors: clear words on stderr and exit 1; wrong usage exit 2.
    for args, words, code, what in [
        ([gpx, "--track", "Nope", "--stdout"], "no track named 'Nope'", 1, "unknown track"),
        ([gpx, "--track", "Empty", "--stdout"], "has no points", 1, "empty track"),
        ([gpx, "--time", "31-02-2009 10:00:00", "--stdout"], "bad time", 1, "impossible date"),
        ([gpx, "--time", "yesterday", "--stdout"], "bad time", 1, "unknown time word"),
        ([os.path.join(tmp, "missing.gpx"), "--stdout"], "", 1, "missing file"),
        ([gpx], "exactly one of", 2, "no output"),
        ([gpx, "--stdout", "--serve", "0"], "exactly one of", 2, "two outputs"),
        ([gpx, "--interval", "-5", "--stdout"], "--interval", 2, "negative interval"),
        ([gpx, "--speed", "101", "--stdout"], "--speed", 2, "speed too high"),
    ]:
        rc, out, err = run(args)
        check(rc == code and words in err and out == "", "error: " + what, (rc, err))

    # --serve: playback starts with the first client, which gets every sentence.
    p = subprocess.Popen([CLI, "simulate", gpx, "--time", "original", "--interval", "200", "--serve", "0"],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    try:
        line = b""
        deadline = time.time() + 10
        while time.time() < deadline and b"Serving on" not in line:
            r, _, _ = select.select([p.stderr], [], [], 0.5)
            if r:
                line = p.stderr.readline()
        m = re.search(rb"127\.0\.0\.1:(\d+)", line)
        check(m is not None, "serve: the port on stderr", line)
        if m:
            time.sleep(0.5)  # nothing may be sent before a client is there
            c = socket.create_connection(("127.0.0.1", int(m.group(1))), timeout=5)
            start = time.time()
            data = read_until_closed(c, time.time() + 10)
            took = time.time() - start
            c.close()
            got = sentences(data)
            check(len(got) == 4 and all(checksum_ok(s) for s in got), "serve: the client gets the four sentences", data)
            check(got[:1] and got[0].split(",")[1] == "120000", "serve: from the first point", got)
            check(0.5 < took < 5, "serve: paced at the interval", took)
        check(p.wait(timeout=10) == 0, "serve: ends with the track")
    finally:
        if p.poll() is None:
            p.kill()
            p.wait()

    # --tcp: a server of ours receives the sentences.
    srv = socket.socket()
    srv.bind(("127.0.0.1", 0))
    srv.listen(1)
    port = srv.getsockname()[1]
    received = {}

    def accept():
        srv.settimeout(10)
        try:
            conn, _ = srv.accept()
            received["data"] = read_until_closed(conn, time.time() + 10)
            conn.close()
        except OSError as e:
            received["error"] = str(e)

    t = threading.Thread(target=accept)
    t.start()
    rc, out, err = run([gpx, "--time", "original", "--interval", "0", "--tcp", "127.0.0.1:%d" % port])
    t.join(15)
    srv.close()
    got = sentences(received.get("data", ""))
    check(rc == 0 and len(got) == 4, "tcp: four sentences arrive", (rc, err, received))

    rc, out, err = run([gpx, "--tcp", "127.0.0.1:%d" % free_port()])
    check(rc == 1 and "127.0.0.1" in err, "tcp: a refused connection fails", (rc, err))

    # A server that hangs up: the endless playback fails with one message.
    srv = socket.socket()
    srv.bind(("127.0.0.1", 0))
    srv.listen(1)

    def hang_up():
        srv.settimeout(10)
        try:
            conn, _ = srv.accept()
            conn.recv(100)
            conn.close()
        except OSError:
            pass

    t = threading.Thread(target=hang_up)
    t.start()
    rc, out, err = run([gpx, "--interval", "50", "--repeat", "--tcp", "127.0.0.1:%d" % srv.getsockname()[1]])
    t.join(15)
    srv.close()
    check(rc == 1 and err.count("closed the connection") == 1, "tcp: a server that hangs up fails once", (rc, err))

    # --serial: a kernel pseudo-terminal; we read its other end.
    master, slave = pty.openpty()
    tty.setraw(master)
    name = os.ttyname(slave)
    rc, out, err = run([gpx, "--time", "original", "--interval", "0", "--serial", name])
    data = b""
    while True:
        r, _, _ = select.select([master], [], [], 0.5)
        if not r:
            break
        data += os.read(master, 4096)
    os.close(master)
    os.close(slave)
    got = sentences(data.decode("latin-1"))
    check(rc == 0 and len(got) == 4 and expect_position(got[3], 52.103, 5.102), "serial: four sentences",
          (rc, err, data))

    # A receiver unplugged during an endless playback: one message, exit 1.
    master, slave = pty.openpty()
    tty.setraw(master)
    p = subprocess.Popen([CLI, "simulate", gpx, "--interval", "50", "--repeat", "--serial", os.ttyname(slave)],
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=ENV)
    data = b""
    deadline = time.time() + 10
    while data.count(b"\r\n") < 3 and time.time() < deadline:
        if select.select([master], [], [], 0.5)[0]:
            data += os.read(master, 4096)
    os.close(master)
    os.close(slave)
    try:
        out, err = p.communicate(timeout=20)
    except subprocess.TimeoutExpired:
        p.kill()
        out, err = p.communicate()
    err = err.decode("latin-1")
    gone = [l for l in err.splitlines() if "gone" in l or "No such device" in l]
    check(data.count(b"\r\n") >= 3 and p.returncode == 1 and len(gone) == 1,
          "serial: a receiver that goes away fails once", (p.returncode, err))

if failures:
    print("%d failed: %s" % (len(failures), ", ".join(failures)))
    sys.exit(1)
print("all passed")
