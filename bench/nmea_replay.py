#!/usr/bin/env python3
"""Live reception under load and at rest, through pathkeep-cli receive (the
window's channel code without the window):

  1. a loopback server sends RATE lines a second for SECONDS seconds; every
     line must reach the log file; the CPU time of the receiver is reported;
  2. an open TCP channel on which nothing arrives for IDLE seconds: the CPU
     share it costs.

Run: bench/nmea_replay.py build/bin/pathkeep-cli [RATE] [SECONDS] [IDLE]"""

import os
import socket
import subprocess
import sys
import tempfile
import threading
import time

cli = sys.argv[1]
rate = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
seconds = int(sys.argv[3]) if len(sys.argv) > 3 else 60
idle = int(sys.argv[4]) if len(sys.argv) > 4 else 20
ticks = os.sysconf('SC_CLK_TCK')


def cpu_seconds(pid):
    with open('/proc/%d/stat' % pid) as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / ticks


def sentence(n):
    body = 'GPGGA,%06d.00,5333.4037,N,00951.9346,E,1,06,1.7,49.9,M,46.0,M,,' % (n % 240000)
    s = 0
    for c in body:
        s ^= ord(c)
    return ('$%s*%02X\r\n' % (body, s)).encode()


def run(sender, extra):
    server = socket.socket()
    server.bind(('127.0.0.1', 0))
    server.listen(1)
    port = server.getsockname()[1]
    home = tempfile.mkdtemp()
    log = os.path.join(home, 'bench.log')
    proc = subprocess.Popen([cli, 'receive', '--tcp', '127.0.0.1:%d' % port, '--log', log] + extra,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                            env=dict(os.environ, PATHKEEP_HOME=home))
    conn, _ = server.accept()
    before = cpu_seconds(proc.pid)
    t0 = time.monotonic()
    sender(conn)
    elapsed = time.monotonic() - t0
    used = cpu_seconds(proc.pid) - before
    conn.close()
    out, _ = proc.communicate(timeout=120)
    with open(log, 'rb') as f:
        logged = f.read().count(b'\r\n') - 2  # without the start and stop lines
    return elapsed, used, out.splitlines()[-1] if out else '', logged


def steady(conn):
    start = time.monotonic()
    for n in range(rate * seconds):
        due = start + n / rate
        delay = due - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        conn.sendall(sentence(n))


elapsed, used, last, logged = run(steady, [])
print('%d lines/s for %.1f s: %s; %d lines in the log (%s); receiver CPU %.2f s = %.1f %% of a core' % (
    rate, elapsed, last, logged, 'none lost' if logged == rate * seconds else 'LOST %d' % (rate * seconds - logged),
    used, 100 * used / elapsed))

elapsed, used, last, logged = run(lambda conn: time.sleep(idle), [])
print('open channel, idle %.1f s: receiver CPU %.3f s = %.2f %% of a core' % (elapsed, used, 100 * used / elapsed))
