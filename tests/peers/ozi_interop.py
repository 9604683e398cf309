#!/usr/bin/env python3
"""GPSBabel's "ozi" format as a real peer: it reads the PLT and WPT files
Pathkeep writes with the same points, and Pathkeep reads the ones it writes."""

import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from gps_files import children, number

cli, data = sys.argv[1], sys.argv[2]
work = tempfile.mkdtemp(prefix='pathkeep-ozi-')
FEET = 0.3048


def run(args):
    r = subprocess.run(args, capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError('%s failed: %s' % (' '.join(args), r.stderr.strip()))


def points(path, what):
    """(lat, lon, ele) of the waypoints or of all track points of a GPX file."""
    root = ET.parse(path).getroot()
    if what == 'wpt':
        els = children(root, 'wpt')
    else:
        els = [p for t in children(root, 'trk') for s in children(t, 'trkseg') for p in children(s, 'trkpt')]
    out = []
    for e in els:
        ele = [c.text for c in e if isinstance(c.tag, str) and c.tag.endswith('ele')]
        out.append((number(e.get('lat')), number(e.get('lon')), number(ele[0]) if ele and ele[0] else None))
    return out


def compare(ours, theirs, tolerance, ele_tolerance):
    if len(ours) != len(theirs):
        return 'count %d vs %d' % (len(ours), len(theirs))
    for i, (a, b) in enumerate(zip(ours, theirs)):
        if abs(a[0] - b[0]) > tolerance or abs(a[1] - b[1]) > tolerance:
            return 'point %d: %s vs %s' % (i + 1, a, b)
        if a[2] is not None and b[2] is not None and a[2] != -777 and abs(a[2] - b[2]) > ele_tolerance:
            return 'altitude of point %d: %s vs %s' % (i + 1, a[2], b[2])
    return None


results = []
for name in sorted(os.listdir(os.path.join(data, 'gpx'))):
    src = os.path.join(data, 'gpx', name)
    base = os.path.join(work, os.path.splitext(name)[0].replace('#', '_'))
    try:
        run([cli, 'convert', src, base + '.gpx'])  # the tree as Pathkeep keeps it
        # GPSBabel reads our track and waypoint files.
        run([cli, 'convert', src, base + '.plt'])
        run(['gpsbabel', '-i', 'ozi', '-f', base + '.plt', '-o', 'gpx', '-F', base + '.plt.gpx'])
        # Altitudes go through whole feet and whole metres: within about two feet.
        problem = compare(points(base + '.gpx', 'trk'), points(base + '.plt.gpx', 'trk'), 1e-9, 2.5 * FEET)
        results.append(('gpsbabel reads our PLT of ' + name, problem))
        run([cli, 'convert', src, base + '.wpt'])
        run(['gpsbabel', '-i', 'ozi', '-f', base + '.wpt', '-o', 'gpx', '-F', base + '.wpt.gpx'])
        problem = compare(points(base + '.gpx', 'wpt')[:1000], points(base + '.wpt.gpx', 'wpt'), 1e-9, 2.5 * FEET)
        results.append(('gpsbabel reads our WPT of ' + name, problem))
        # We read what GPSBabel writes (six decimals, altitudes in feet with decimals).
        run(['gpsbabel', '-i', 'gpx', '-f', src, '-o', 'ozi', '-F', base + '-gb'])
        if os.path.exists(base + '-gb.plt'):
            run(['gpsbabel', '-i', 'ozi', '-f', base + '-gb.plt', '-o', 'gpx', '-F', base + '-gb.plt.gpx'])
            run([cli, 'convert', base + '-gb.plt', base + '.ours-plt.gpx'])
            want = [p for p in points(base + '-gb.plt.gpx', 'trk') if not (p[0] == 0 and p[1] == 0)]
            problem = compare(points(base + '.ours-plt.gpx', 'trk'), want, 1e-9, 0.5 + FEET)
            results.append(('we read GPSBabel\'s PLT of ' + name, problem))
        if os.path.exists(base + '-gb.wpt'):
            run(['gpsbabel', '-i', 'ozi', '-f', base + '-gb.wpt', '-o', 'gpx', '-F', base + '-gb.wpt.gpx'])
            run([cli, 'convert', base + '-gb.wpt', base + '.ours-wpt.gpx'])
            problem = compare(points(base + '.ours-wpt.gpx', 'wpt'), points(base + '-gb.wpt.gpx', 'wpt'), 1e-9,
                              0.5 + FEET)
            results.append(('we read GPSBabel\'s WPT of ' + name, problem))
    except Exception as e:  # a failing command is a failed check
        results.append((name, str(e)))

failed = sum(1 for _, p in results if p)
for name, problem in results:
    print('%s %s' % ('FAIL' if problem else 'ok  ', name))
    if problem:
        print('    ' + problem)
print('%d passed, %d failed' % (len(results) - failed, failed))
sys.exit(1 if failed else 0)
