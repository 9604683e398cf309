#!/usr/bin/env python3
"""pathkeep-cli simulate with a real gpsd as the receiving program: Pathkeep
serves the track on a loopback port, gpsd reads it as an NMEA source, and
gpspipe reports gpsd's fixes (TPV). Each fix must be one of the track's
points: the same time, and the same position within what RMC's four
decimals of a minute can carry.

Exit 77 (skipped) when gpsd or gpspipe is not installed.

Usage: gpsd_simulate.py PATHKEEP_CLI
"""
import json
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from script_checks import check, failures, free_port  # noqa: E402

CLI = sys.argv[1]
SKIP = 77
# Four decimals of a minute are cut, not rounded: up to 0.0001' off, plus
# gpsd's own rounding.
TOLERANCE_DEG = 0.0001 / 60 + 1e-7

POINTS = [(52.1, 5.1, "12:00:00"), (52.1011, 5.1002, "12:00:10"), (52.10237, 5.10123, "12:00:20"),
          (52.1035, 5.1029, "12:00:30"), (52.1047, 5.1041, "12:00:40"), (52.1059, 5.1053, "12:00:50")]
SENT = POINTS[:-1]  # playback sends every point but the last




def kill(p):
    # gpsd may ignore SIGTERM: SIGKILL by pid, then reap.
    if p and p.poll() is None:
        os.kill(p.pid, signal.SIGKILL)
    if p:
        try:
            p.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass


if not shutil.which("gpsd") and not os.path.exists("/usr/sbin/gpsd"):
    print("skipped: gpsd is not installed")
    sys.exit(SKIP)
if not shutil.which("gpspipe"):
    print("skipped: gpspipe (gpsd-clients) is not installed")
    sys.exit(SKIP)
GPSD = shutil.which("gpsd") or "/usr/sbin/gpsd"

tmp = tempfile.mkdtemp()
env = dict(os.environ, TZ="UTC", PATHKEEP_HOME=os.path.join(tmp, "home"))
gpx = os.path.join(tmp, "track.gpx")
with open(gpx, "w") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">\n'
            '<trk><name>Ride</name><trkseg>\n')
    for lat, lon, t in POINTS:
        f.write('<trkpt lat="%s" lon="%s"><time>2021-06-15T%sZ</time></trkpt>\n' % (lat, lon, t))
    f.write("</trkseg></trk>\n</gpx>\n")

sim = gpsd = pipe = None
try:
    # Repeated, so gpspipe sees every point whenever it joins.
    sim = subprocess.Popen([CLI, "simulate", gpx, "--time", "original", "--interval", "200", "--repeat",
                            "--count", "400", "--serve", "0"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    line = b""
    deadline = time.time() + 10
    while time.time() < deadline and b"Serving on" not in line:
        r, _, _ = select.select([sim.stderr], [], [], 0.5)
        if r:
            line = sim.stderr.readline()
    m = re.search(rb"127\.0\.0\.1:(\d+)", line)
    check(m is not None, "pathkeep serves on a port", line)
    if not m:
        raise SystemExit(1)
    source = "tcp://127.0.0.1:%s" % m.group(1).decode()
    gpsd_port = free_port()
    gpsd = subprocess.Popen([GPSD, "-N", "-n", "-b", "-S", str(gpsd_port), "-F", os.path.join(tmp, "gpsd.sock"),
                             source], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    # Until gpsd answers on its port (bounded), or it has ended.
    deadline = time.time() + 10
    answering = False
    while not answering and gpsd.poll() is None and time.time() < deadline:
        try:
            socket.create_connection(("127.0.0.1", gpsd_port), timeout=1).close()
            answering = True
        except OSError:
            time.sleep(0.05)
    check(answering and gpsd.poll() is None, "gpsd runs", gpsd.stderr.read() if gpsd.poll() is not None else "")

    pipe = subprocess.Popen(["gpspipe", "-w", "localhost:%d" % gpsd_port], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, env=env)
    fixes = []
    deadline = time.time() + 20
    buf = b""
    while time.time() < deadline:
        r, _, _ = select.select([pipe.stdout], [], [], 0.5)
        if not r:
            if pipe.poll() is not None:
                break
            continue
        chunk = os.read(pipe.stdout.fileno(), 65536)
        if not chunk:
            break
        buf += chunk
        *lines, buf = buf.split(b"\n")
        for l in lines:
            try:
                report = json.loads(l)
            except ValueError:
                continue
            if report.get("class") == "TPV" and "lat" in report and "time" in report:
                fixes.append(report)
        if len({f["time"] for f in fixes}) >= len(SENT) + 1 and len(fixes) >= 2 * len(SENT):
            break

    check(len(fixes) >= len(SENT), "gpsd reports fixes", len(fixes))
    wanted = {"2021-06-15T%s" % t: (lat, lon) for lat, lon, t in SENT}
    seen = set()
    for fix in fixes:
        stamp = fix["time"][:19]
        if stamp not in wanted:
            check(False, "fix at a time of the track", fix)
            continue
        lat, lon = wanted[stamp]
        seen.add(stamp)
        check(abs(fix["lat"] - lat) <= TOLERANCE_DEG and abs(fix["lon"] - lon) <= TOLERANCE_DEG,
              "fix %s at the point's position" % stamp, (fix["lat"], fix["lon"], lat, lon))
        check(fix.get("mode", 0) >= 2, "fix %s is a fix" % stamp, fix)
    check(seen == set(wanted), "every sent point became a fix", sorted(set(wanted) - seen))
    check("2021-06-15T12:00:50" not in seen, "the last point is not sent")
finally:
    kill(pipe)
    kill(gpsd)
    kill(sim)
    shutil.rmtree(tmp, ignore_errors=True)

if failures:
    print("%d failed: %s" % (len(failures), ", ".join(sorted(set(failures)))))
    sys.exit(1)
print("all passed")
