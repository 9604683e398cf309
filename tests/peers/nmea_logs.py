#!/usr/bin/env python3
"""NMEA logs with real peers and real receivers: GPSBabel reads the logs
Pathkeep creates with the same points; Pathkeep reads the logs GPSBabel
writes and the receiver captures in tests/data/nmea with the points the
reading rules give, worked out here line by line.

Usage: nmea_logs.py PATHKEEP_CLI TEST_DATA_DIR
"""
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from gps_files import children

cli, data = sys.argv[1], sys.argv[2]
work = tempfile.mkdtemp(prefix='pathkeep-nmea-peer-')
env = dict(os.environ, TZ='UTC', PATHKEEP_HOME=os.path.join(work, 'home'))
results = []


def run(args):
    r = subprocess.run(args, capture_output=True, text=True, env=env)
    if r.returncode != 0:
        raise RuntimeError('%s failed: %s' % (' '.join(args), r.stderr.strip()))
    return r.stdout


def check(name, ok, detail=''):
    results.append(ok)
    print('%s %s%s' % ('ok  ' if ok else 'FAIL', name, '' if ok else '\n    ' + str(detail)))


def trkpts(path):
    root = ET.parse(path).getroot()
    out = []
    for t in children(root, 'trk'):
        for s in children(t, 'trkseg'):
            for p in children(s, 'trkpt'):
                ele = [c.text for c in children(p, 'ele')]
                time = [c.text for c in children(p, 'time')]
                out.append((float(p.get('lat')), float(p.get('lon')), ele[0] if ele else None,
                            time[0] if time else None))
    return out


def checksum_ok(line):
    star = line.find('*')
    if star < 0:
        return False
    digits = line[star + 1:star + 3]
    try:
        value = int(digits, 16) if digits else 255
    except ValueError:
        value = 255
    total = 0
    for c in line[1:star]:
        total ^= ord(c)
    return value == total


def field(line, n):
    """Field n (1-based, the type is field 1), cut at "*" and trimmed."""
    parts = line.split(',')
    return parts[n - 1].split('*')[0].strip() if n <= len(parts) else ''


def coordinate(text, degree_digits, hemisphere, positive):
    deg, minutes, frac = text[:degree_digits], text[degree_digits:degree_digits + 2], text[degree_digits + 3:degree_digits + 7]
    if not all(s.isdigit() or s == '' for s in (deg, minutes, frac)):
        return None
    value = int(deg or 0) + (int(minutes or 0) + (int(frac) / 10 ** len(frac) if frac else 0)) / 60
    return value if hemisphere[:1].upper() == positive else -value


TALKERS = ('GP', 'GN', 'GL', 'GA', 'GB', 'BD', 'GQ')  # all satellite systems, the default


def is_sentence(line, kind):
    return line.startswith('$') and line[1:3] in TALKERS and line[3:6] == kind


def expected_points(lines):
    """The reading rules: RMC lines with a good checksum, a real date and
    time when both are there, and both co-ordinates; the altitude of the
    last GGA line before them."""
    points, altitude = [], None
    for line in lines:
        if is_sentence(line, 'GGA'):
            a = field(line, 10)
            altitude = float(a) if a else None
            continue
        if not is_sentence(line, 'RMC') or not checksum_ok(line):
            continue
        date, time = field(line, 10), field(line, 2)
        if date and time:
            try:
                d, m, y = int(date[0:2]), int(date[2:4]), int(date[4:6])
                hh, mm, ss = int(time[0:2]), int(time[2:4]), int(time[4:6])
                import datetime
                stamp = datetime.datetime(2000 + y if y < 76 else 1900 + y, m, d, hh, mm, ss)
            except ValueError:
                continue
            if len(date) != 6:
                continue
        else:
            stamp = None
        lat, lon = field(line, 4), field(line, 6)
        if not lat or not lon:
            continue
        la, lo = coordinate(lat, 2, field(line, 5), 'N'), coordinate(lon, 3, field(line, 7), 'E')
        if la is None or lo is None or (la == 0 and lo == 0):
            continue
        points.append((la, lo, altitude, stamp))
    return points


def read_lines(path):
    with open(path, encoding='latin-1') as f:
        return [l.rstrip('\r\n') for l in f]


def compare(name, ours, theirs, tolerance=1e-6, elevations=True):
    if len(ours) != len(theirs):
        check(name, False, 'count %d vs %d' % (len(ours), len(theirs)))
        return
    for i, (p, q) in enumerate(zip(ours, theirs)):
        if abs(p[0] - q[0]) > tolerance or abs(p[1] - q[1]) > tolerance:
            check(name, False, 'point %d: %s vs %s' % (i + 1, p, q))
            return
        if elevations and (p[2] is None) != (q[2] is None) or (
                elevations and p[2] is not None and abs(float(p[2]) - float(q[2])) > 1e-6):
            check(name, False, 'altitude of point %d: %s vs %s' % (i + 1, p[2], q[2]))
            return
    check(name, True)


# A track over whole degrees, then across the equator and the prime
# meridian (all four hemispheres), some 7,000 sentences at 25 m/s.
track = [(1.0, -1.0), (1.0005, -1.0008), (1.001, -1.0)]
track += [(0.0031 - i * 0.0001, -0.0042 + i * 0.00014) for i in range(60)]
gpx = os.path.join(work, 'drive.gpx')
with open(gpx, 'w') as f:
    f.write('<?xml version="1.0"?>\n<gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1">'
            '<trk><name>drive</name><trkseg>')
    for i, (la, lo) in enumerate(track):
        f.write('<trkpt lat="%.7f" lon="%.7f"><ele>%d</ele><time>2008-03-08T12:%02d:%02dZ</time></trkpt>'
                % (la, lo, 10 + i, i // 60, i % 60))
    f.write('</trkseg></trk></gpx>\n')

# 1. GPSBabel reads the log Pathkeep creates.
log = os.path.join(work, 'drive.log')
run([cli, 'convert', gpx, log, '--format', 'nmea', '--speed', '25', '--time', '08-03-2008 23:59:50'])
lines = read_lines(log)
written = expected_points(lines)
check('creation: every line an RMC sentence with a good checksum',
      all(l.startswith('$GPRMC,') and checksum_ok(l) for l in lines) and len(lines) > 60, lines[:2])
check('creation: all four hemispheres are written',
      all(any(',%s,' % h in l for l in lines) for h in 'NSEW'), 'hemispheres')
babel = os.path.join(work, 'drive-babel.gpx')
run(['gpsbabel', '-i', 'nmea', '-f', log, '-o', 'gpx', '-F', babel])
compare('gpsbabel reads the created log with the same points', trkpts(babel), written, elevations=False)
times = [p[3] for p in trkpts(babel)]
check('gpsbabel sees one second a sentence, across midnight',
      times[0] == '2008-03-08T23:59:50Z' and times[10] == '2008-03-09T00:00:00Z', times[:11])
ours = os.path.join(work, 'drive-back.gpx')
run([cli, 'convert', log, ours])
compare('pathkeep reads its own log back with the same points', trkpts(ours), written, elevations=False)

# 2. Pathkeep reads the log GPSBabel writes (RMC, then GGA, per point).
babel_log = os.path.join(work, 'babel.log')
run(['gpsbabel', '-i', 'gpx', '-f', gpx, '-o', 'nmea', '-F', babel_log])
ours = os.path.join(work, 'babel-back.gpx')
run([cli, 'convert', babel_log, ours])
got, want = trkpts(ours), expected_points(read_lines(babel_log))
compare("pathkeep reads gpsbabel's log: the RMC points, each with the altitude before it", got, want)
compare("... which are the track's points to the log's three decimals of a minute",
        [(p[0], p[1], None) for p in got], [(la, lo, None) for la, lo in track], tolerance=0.001 / 60 * 0.51)
check("... with the track's times", [p[3] for p in got][:2] == ['2008-03-08T12:00:00.000Z', '2008-03-08T12:00:01.000Z'],
      [p[3] for p in got][:2])

# 3. Receiver captures as they are, "#" header lines included: a log is a
# file whose first line that is neither empty nor a comment is a sentence.
for name in sorted(os.listdir(os.path.join(data, 'nmea'))):
    path = os.path.join(data, 'nmea', name)
    out = os.path.join(work, name + '.gpx')
    run([cli, 'convert', '--quiet', path, out])
    want = expected_points(read_lines(path))
    compare('capture %s: %d points' % (name, len(want)), trkpts(out), want, tolerance=1e-9)

sys.exit(0 if all(results) else 1)
