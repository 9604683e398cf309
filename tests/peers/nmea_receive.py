#!/usr/bin/env python3
"""pathkeep-cli receive against real byte streams: captured receiver logs
replayed over a kernel pseudo-terminal at the pace of a 4800 and a 115200
bit/s line, over loopback TCP to the client socket, and to the port listener
from three clients at once; then hostile streams, bounded in size and time.

The expected displays were worked out by hand from the last sentences of
each capture (noted beside them); line counts, checksum errors and log file
contents come from the framing and checksum rules written out below in
Python, independent of the program."""

import fcntl
import functools
import os
import pty
import random
import socket
import subprocess
import sys
import tempfile
import termios
import threading
import time
import tty

cli, data = sys.argv[1], sys.argv[2]
failures = []
DEG = '\u00b0'


def check(name, cond, detail=''):
    print('%s %s' % ('ok  ' if cond else 'FAIL', name))
    if not cond:
        failures.append(name)
        if detail:
            print('  ' + str(detail).replace('\n', '\n  '))


# --- the rules, independently ----------------------------------------------

def frame(raw):
    """Lines end at CR or LF, a LF right after a CR being part of that end;
    a tail without an end is no line; a line of more than 4096 bytes is
    dropped whole."""
    lines, cur, after_cr = [], bytearray(), False
    for b in raw:
        if b == 13 or (b == 10 and not after_cr):
            if len(cur) <= 4096:
                lines.append(cur.decode('latin-1'))
            cur = bytearray()
        elif b != 10:
            cur.append(b)
        after_cr = b == 13
    return lines


def checksum_ok(line):
    if '*' not in line:
        return False
    body, _, rest = line.partition('*')
    s = 0
    for c in body[1:]:
        s ^= ord(c)
    try:
        want = int(rest[:2], 16) if len(rest[:2]) == 2 and all(ch in '0123456789abcdefABCDEF' for ch in rest[:2]) else 255
    except ValueError:
        want = 255
    return (want & 0xFF) == s


def log_lines(lines):
    out = ['$ --- Start ---']
    for l in lines:
        out.append(l)
        if not checksum_ok(l):
            out.append('$CHECKSUM ERROR: ' + l)
    return out + ['$ --- Stop ---']


def read_log(path):
    raw = open(path, 'rb').read()
    if raw and not raw.endswith(b'\r\n'):
        return ['<last line without CR LF>']
    return [l.decode('latin-1') for l in raw.split(b'\r\n')[:-1]]


def display(status='-', lat='-', lon='-', speed='-', alt='-', course='-', time_='-', var='-', sats='-', slots=None):
    lines = ['status: ' + status, 'latitude: ' + lat, 'longitude: ' + lon, 'speed: ' + speed,
             'altitude: ' + alt, 'course: ' + course, 'time: ' + time_, 'variation: ' + var,
             'satellites: ' + sats]
    slots = slots or []
    for n in range(1, 13):
        number, signal = slots[n - 1] if n <= len(slots) else ('-', 2)
        height = (min(max(signal, 0), 99) + 1) * 97 // 100
        lines.append('sat %d: %s %d %d' % (n, number, signal, height))
    return lines


# Worked by hand from the captures' last sentences.
EXPECTED = {
    # last GPRMC 093203.500 (0.17 kn = 0.31484 km/h, course 224.45, 170807),
    # last GPGGA 093205.750 (4037 N, 9345 E, 49.9 m, geoid 46.0, 06 sats),
    # GSA mode 3; the GSV 3,3 before any message 1 is dropped, the last
    # message 1 fills slots 1-4: 08/27, 10/none (start value 2), 29/25, 27/34.
    'nmea+ms.txt': display('3D position fixing', 'N 53' + DEG + " 33' 4037", 'O 09' + DEG + " 51' 9345",
                           '0.3148 km/h', '49.9 m, 46 m', '224.45', '17-08-07  09:32:03.50', '-', '06',
                           [('08', 27), ('10', 2), ('29', 25), ('27', 34)]),
    # Every GPGGA has a wrong checksum: no altitude, no satellites; no GSA or
    # GSV at all; last GPRMC 010009.00, 0.0 kn, course 0.0, date 080710.
    'firefly-II.log': display('-', 'N 37' + DEG + " 15' 6609", 'W 121' + DEG + " 57' 6699", '0 km/h', '-', '0.0',
                              '08-07-10  01:00:09.00', '-', '-'),
    # With all talkers: last GNRMC 171948.00 (0.059 kn = 0.109268 km/h, no
    # course), last GNGGA (1139.4 m, -21.3 m, 12 sats), GNGSA mode 3. The last
    # report is GLGSV 3 messages; slots its satellites leave without signal
    # keep the last GPGSV report's values: slot 3 37 (sat 04), slot 4 25
    # (08), slot 7 28 (14), slot 10 9 (sat 23 in line 251), 11 17 (25), 12 19 (31).
    'neo-m8n.log': display('3D position fixing', 'N 44' + DEG + " 04' 1390", 'W 121' + DEG + " 18' 8537",
                           '0.1092 km/h', '1139.4 m, -21.3 m', '-', '18-03-15  17:19:48.00', '-', '12',
                           [('66', 19), ('67', 23), ('68', 37), ('75', 25), ('76', 26), ('77', 19), ('78', 28),
                            ('82', 15), ('83', 31), ('84', 9), ('', 17), ('', 19)]),
}


def capture(name):
    return open(os.path.join(data, 'nmea', name), 'rb').read()


def counts_line(lines):
    return 'lines: %d, checksum errors: %d' % (len(lines), sum(not checksum_ok(l) for l in lines))


def check_run(name, run, raw, expected_display, log_path):
    lines = frame(raw)
    out = run.stdout.splitlines()
    check(name + ': exit 0', run.returncode == 0, run.stderr)
    if expected_display is not None:
        check(name + ': display', out[:-1] == expected_display,
              '\n'.join('got  %r\nwant %r' % (g, w) for g, w in zip(out, expected_display) if g != w) or out)
    check(name + ': counts', out[-1:] == [counts_line(lines)], '%s vs %s' % (out[-1:], counts_line(lines)))
    if log_path:
        got = read_log(log_path)
        want = log_lines(lines)
        check(name + ': log file line for line', got == want,
              'got %d lines, want %d; first difference: %s' % (
                  len(got), len(want), next(((g, w) for g, w in zip(got, want) if g != w), None)))


# --- serial: a pseudo-terminal at the pace of the line ---------------------

def replay_pty(name, bits_per_second, extra=(), hang_up=False):
    raw = capture(name)
    master, slave = pty.openpty()
    tty.setraw(slave)
    path = os.ttyname(slave)
    tmp = tempfile.mkdtemp()
    log = os.path.join(tmp, 'serial.log')
    n_lines = len(frame(raw))
    ending = [] if hang_up else ['--lines', str(n_lines)]
    proc = subprocess.Popen([cli, 'receive', '--serial', path, '--speed', str(bits_per_second), '--log', log] +
                            ending + list(extra),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    # Opening the port discards what waits in it: start once it is open.
    opened = ''
    while not opened.startswith('Ch 1:'):
        opened = proc.stderr.readline()
        if not opened:
            break
    bytes_per_second = bits_per_second / 10
    chunk = max(1, int(bytes_per_second / 50))  # every 20 ms what the line carries
    start = time.monotonic()
    for i in range(0, len(raw), chunk):
        os.write(master, raw[i:i + chunk])
        due = start + (i + chunk) / bytes_per_second
        delay = due - time.monotonic()
        if delay > 0:
            time.sleep(delay)
    if hang_up:
        # Unplugged once the program has read every byte (bounded wait).
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            waiting = fcntl.ioctl(slave, termios.FIONREAD, b'\0\0\0\0')
            if int.from_bytes(waiting, sys.byteorder) == 0:
                break
            time.sleep(0.01)
        os.close(master)
        os.close(slave)
    try:
        stdout, stderr = proc.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        proc.kill()
        stdout, stderr = proc.communicate()
    if not hang_up:
        os.close(master)
        os.close(slave)
    run = subprocess.CompletedProcess(proc.args, proc.returncode, stdout, stderr)
    check_run('serial %d %s%s' % (bits_per_second, name, ' until unplugged' if hang_up else ''), run, raw,
              EXPECTED.get(name), log)


replay_pty('nmea+ms.txt', 115200)
replay_pty('firefly-II.log', 4800)
replay_pty('nmea+ms.txt', 115200, hang_up=True)


# --- TCP client: a loopback server streams a capture -----------------------

def serve_once(payloads, pause=0.0):
    server = socket.socket()
    server.bind(('127.0.0.1', 0))
    server.listen(1)

    def run():
        conn, _ = server.accept()
        for p in payloads:
            conn.sendall(p)
            if pause:
                time.sleep(pause)
        conn.close()
        server.close()

    threading.Thread(target=run, daemon=True).start()
    return server.getsockname()[1]


def receive_tcp(port, extra=(), timeout=60):
    return subprocess.run([cli, 'receive', '--tcp', '127.0.0.1:%d' % port] + list(extra),
                          capture_output=True, text=True, timeout=timeout)


for name, extra in (('neo-m8n.log', ['--all-talkers']), ('nmea+ms.txt', []),
                    ('gp-320fw-2019-04-07-coldboot.log', [])):
    raw = capture(name)
    tmp = tempfile.mkdtemp()
    log = os.path.join(tmp, 'tcp.log')
    # In pieces of 100 bytes, as a network delivers them.
    port = serve_once([raw[i:i + 100] for i in range(0, len(raw), 100)], pause=0.001)
    check_run('tcp ' + name, receive_tcp(port, ['--log', log] + extra), raw, EXPECTED.get(name), log)

# With --gp-only the GN sentences of the NEO-M8N change nothing.
port = serve_once([capture('neo-m8n.log')])
run = receive_tcp(port, ['--gp-only'])
check('tcp neo-m8n.log GP only: position untouched', run.stdout.splitlines()[1:3] == ['latitude: -', 'longitude: -'],
      run.stdout)

# --- the port listener: a burst that hangs up at once, three clients at
# once, one silent, one cut off, then 200 clients one after another with
# lines ended by LF alone, as `nc` replays a log -----------------------------

names = ['nmea+ms.txt', 'firefly-II.log', 'neo-m8n.log']
raws = [capture(n) for n in names]
burst_lines = ['$GPGSA,A,3,%02d,,,,,,,,,,,,3.2,1.7,2.7' % (i % 100) for i in range(5000)]
burst_lines = ['%s*%02X' % (l, functools.reduce(lambda a, c: a ^ ord(c), l[1:], 0)) for l in burst_lines]
burst = ''.join(l + '\r\n' for l in burst_lines).encode()
one_after_another = [''.join('%s\n' % burst_lines[(k * 25 + i) % 5000] for i in range(25)).encode()
                     for k in range(200)]
total = (1 + sum(len(frame(r)) for r in raws)  # and the cut-off client's one whole line
         + len(burst_lines) + sum(len(frame(r)) for r in one_after_another))
listen = subprocess.Popen([cli, 'receive', '--listen', '0', '--log', os.path.join(tempfile.mkdtemp(), 'listen.log'),
                           '--lines', str(total), '--seconds', '60'],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
port = None
for _ in range(100):
    line = listen.stderr.readline()
    if line.startswith('Listening on port '):
        port = int(line.split()[-1])
        break
check('listener: listening', port is not None)
if port:
    with socket.create_connection(('127.0.0.1', port)) as b:
        b.sendall(burst)  # and hangs up: nothing of it may be lost
    silent = socket.create_connection(('127.0.0.1', port))
    cut = socket.create_connection(('127.0.0.1', port))
    cut.sendall(b'$GPGSA,A,3,08,29,27,28,26,24,,,,,,,3.2,1.7,2.7*3E\r\n$GPGSA,A,')
    cut.close()  # disconnects mid-line: its partial line is dropped
    clients = [socket.create_connection(('127.0.0.1', port)) for _ in names]
    offsets = [0, 0, 0]
    while any(o < len(r) for o, r in zip(offsets, raws)):
        for k, c in enumerate(clients):
            if offsets[k] < len(raws[k]):
                c.sendall(raws[k][offsets[k]:offsets[k] + 37])
                offsets[k] += 37
        time.sleep(0.001)
    for raw in one_after_another:
        with socket.create_connection(('127.0.0.1', port)) as c:
            c.sendall(raw)
    stdout, stderr = listen.communicate(timeout=90)
    log_path = [a for a in listen.args if a.endswith('listen.log')][0]
    got = read_log(log_path)
    check('listener: every line of every client', stdout.splitlines()[-1:] ==
          ['lines: %d, checksum errors: %d' % (total, sum(not checksum_ok(l) for r in raws for l in frame(r)))],
          stdout.splitlines()[-1:])
    for n, r in zip(names, raws):
        it = iter(got)
        in_order = all(any(g == l for g in it) for l in frame(r))
        check('listener: %s whole and in order' % n, in_order)
    it = iter(got)
    check('listener: the burst whole and in order after its sender hung up', all(any(g == l for g in it) for l in burst_lines))
    check('listener: no client refused', 'refused' not in stderr, stderr[-500:])
    check('listener: cut-off line dropped', '$GPGSA,A,' not in got)
    for c in clients + [silent]:
        c.close()
else:
    listen.kill()

# --- hostile streams --------------------------------------------------------

good = b'$GPGSA,A,3,08,29,27,28,26,24,,,,,,,3.2,1.7,2.7*3E\r\n'
t0 = time.monotonic()
port = serve_once([b'x' * (10 * 1024 * 1024), b'\r', good])
run = receive_tcp(port)
check('hostile: 10 MB without a line end is dropped, the next line counts',
      run.returncode == 0 and run.stdout.splitlines()[-1] == 'lines: 1, checksum errors: 0' and
      'longer than 4096 bytes' in run.stderr and run.stdout.startswith('status: 3D position fixing'),
      run.stdout[-200:] + run.stderr[-300:])
check('hostile: 10 MB in bounded time', time.monotonic() - t0 < 30)

rng = random.Random(1)
noise = bytes(rng.getrandbits(8) for _ in range(300000))
port = serve_once([noise, b'\r', good])
run = receive_tcp(port)
check('hostile: random bytes', run.returncode == 0 and run.stdout.splitlines()[-1] ==
      counts_line(frame(noise + b'\r' + good)), run.stdout[-200:] + run.stderr[-300:])

nuls = b'\0' * 100000 + b'\r' + b'$GPGSA,A,2*31\0\0\r\n' + b'\0' * 3000 + b'\r'
port = serve_once([nuls])
run = receive_tcp(port)
check('hostile: NUL bytes', run.returncode == 0 and run.stdout.splitlines()[-1] == counts_line(frame(nuls)),
      run.stdout[-200:] + run.stderr[-300:])

burst = good * 100000
port = serve_once([burst])
run = receive_tcp(port, ['--log', os.path.join(tempfile.mkdtemp(), 'burst.log')])
check('hostile: burst of 100,000 lines, none lost', run.returncode == 0 and
      run.stdout.splitlines()[-1] == 'lines: 100000, checksum errors: 0', run.stdout[-100:] + run.stderr[-300:])

# --- usage and failures -----------------------------------------------------

for args in (['receive'], ['receive', '--tcp', 'nohost'], ['receive', '--serial', '/dev/null', '--tcp', 'a:1'],
             ['receive', '--listen', '70000'], ['receive', '--tcp', 'a:1', '--speed', '4800'],
             ['receive', '--tcp', 'a:1', '--lines', '0']):
    run = subprocess.run([cli] + args, capture_output=True, text=True, timeout=10)
    check('usage: %s -> 2' % ' '.join(args[1:]), run.returncode == 2, run.stderr)
closed = socket.socket()
closed.bind(('127.0.0.1', 0))
closed_port = closed.getsockname()[1]
closed.close()
run = receive_tcp(closed_port, timeout=20)
check('refused connection -> 1', run.returncode == 1, run.stderr)
port = serve_once([good * 50])
run = receive_tcp(port, ['--log', '/dev/full'])
check('a log that cannot be written -> 1, said once', run.returncode == 1 and run.stderr.count('/dev/full') == 1,
      run.stderr)
run = subprocess.run([cli, 'receive', '--serial', '/nonexistent/ttyUSB9'], capture_output=True, text=True, timeout=10)
check('missing serial device -> 1, said once in words', run.returncode == 1 and
      run.stderr.splitlines() == ['No such device: /nonexistent/ttyUSB9'], run.stderr)

print('%d failed' % len(failures))
sys.exit(1 if failures else 0)
