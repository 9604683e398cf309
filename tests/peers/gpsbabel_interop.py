#!/usr/bin/env python3
"""GPSBabel as a real peer: it reads the GPX and KML files Pathkeep writes
with the same points, and Pathkeep reads the files GPSBabel writes with the
same points."""

import os
import subprocess
import sys
import tempfile

from gps_files import children, first, keeps_track_point, local, number, read_gpx, read_kml
import xml.etree.ElementTree as ET

cli, data = sys.argv[1], sys.argv[2]
work = tempfile.mkdtemp(prefix='pathkeep-peer-')
results = []


def run(args):
    r = subprocess.run(args, capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError('%s failed: %s' % (' '.join(args), r.stderr.strip()))


def gpx_points(path):
    """Waypoints, route points and track points of a GPX file as they stand."""
    root = ET.parse(path).getroot()
    wpts = [(w.get('lat'), w.get('lon')) for w in children(root, 'wpt')]
    rtepts = [(p.get('lat'), p.get('lon')) for r in children(root, 'rte') for p in children(r, 'rtept')]
    trkpts = [(p.get('lat'), p.get('lon')) for t in children(root, 'trk') for s in children(t, 'trkseg')
              for p in children(s, 'trkpt')]
    return wpts, rtepts, trkpts


def same(a, b, tolerance=1e-7):
    if len(a) != len(b):
        return 'count %d vs %d' % (len(a), len(b))
    for i, (p, q) in enumerate(zip(a, b)):
        if abs(number(p[0]) - number(q[0])) > tolerance or abs(number(p[1]) - number(q[1])) > tolerance:
            return 'point %d: %s vs %s' % (i + 1, p, q)
    return None


def check(name, pairs, tolerance=1e-7):
    problems = ['%s: %s' % (what, d) for what, a, b in pairs for d in [same(a, b, tolerance)] if d]
    results.append((name, problems))


def expected_points(exp):
    return (exp.waypoints, [p for r in exp.routes for p in r], [p for t in exp.tracks for p in t[1]])


sources = sorted(os.path.join(data, d, f) for d in ('gpx', 'kml') for f in os.listdir(os.path.join(data, d)))
for i, src in enumerate(sources):
    base = os.path.join(work, str(i))
    label = os.path.relpath(src, data)
    try:
        # GPSBabel reads the GPX we write.
        run([cli, 'convert', src, base + '.gpx'])
        run(['gpsbabel', '-i', 'gpx', '-f', base + '.gpx', '-o', 'gpx', '-F', base + '.babel.gpx'])
        ours, theirs = gpx_points(base + '.gpx'), gpx_points(base + '.babel.gpx')
        check('gpsbabel reads our GPX of ' + label,
              [('waypoints', ours[0], theirs[0]), ('route points', ours[1], theirs[1]),
               ('track points', ours[2], theirs[2])])

        # GPSBabel reads the KML we write: waypoints and track paths.
        run([cli, 'convert', src, base + '.kml'])
        run(['gpsbabel', '-i', 'kml', '-f', base + '.kml', '-o', 'gpx', '-F', base + '.kml.gpx'])
        ours, theirs = expected_points(read_kml(base + '.kml')), gpx_points(base + '.kml.gpx')
        check('gpsbabel reads our KML of ' + label,
              [('waypoints', ours[0], theirs[0]), ('track points', ours[2], theirs[2])])

        if src.endswith('.gpx'):
            # We read the GPX GPSBabel writes.
            run(['gpsbabel', '-i', 'gpx', '-f', src, '-o', 'gpx', '-F', base + '.from-babel.gpx'])
            run([cli, 'convert', base + '.from-babel.gpx', base + '.ours.gpx'])
            want, got = expected_points(read_gpx(base + '.from-babel.gpx')), gpx_points(base + '.ours.gpx')
            check('we read GPSBabel\'s GPX of ' + label,
                  [('waypoints', want[0], got[0]), ('route points', want[1], got[1]),
                   ('track points', want[2], got[2])])
            # ... and the waypoints of the KML it writes.
            run(['gpsbabel', '-i', 'gpx', '-f', src, '-o', 'kml,points=0', '-F', base + '.from-babel.kml'])
            run([cli, 'convert', base + '.from-babel.kml', base + '.ours-k.gpx'])
            want = [(w.get('lat'), w.get('lon')) for w in children(ET.parse(src).getroot(), 'wpt')]
            # GPSBabel writes KML co-ordinates with six decimals.
            check('we read the waypoints of GPSBabel\'s KML of ' + label,
                  [('waypoints', want, gpx_points(base + '.ours-k.gpx')[0])], tolerance=6e-7)
            # ... and the paths of the KML it writes: LineStrings in folders
            # (routes in "Routes"), and gx:Track with track=1.
            exp = read_gpx(src)
            want_paths = [p for t in exp.tracks for p in t[1]] + \
                         [p for r in exp.routes for p in r if keeps_track_point(*p)]
            for opts in ('kml,points=0', 'kml,points=0,track=1', 'kml'):
                kml = base + '.paths.kml'
                run(['gpsbabel', '-i', 'gpx', '-f', src, '-o', opts, '-F', kml])
                run([cli, 'convert', kml, base + '.paths.gpx'])
                got = gpx_points(base + '.paths.gpx')
                # track=1 writes each track twice: as a gx:Track and as a LineString.
                tracks = len([p for t in exp.tracks for p in t[1]])
                got_paths = got[2][tracks:] if opts.endswith('track=1') else got[2]
                check('we read the paths of GPSBabel\'s %s of %s' % (opts, label),
                      [('track points', want_paths, got_paths)], tolerance=6e-7)
    except Exception as e:  # a failing command is a failed check, not a crash of the test
        results.append((label, [str(e)]))

failed = 0
for name, problems in results:
    print('%s %s' % ('FAIL' if problems else 'ok  ', name))
    for p in problems:
        print('    ' + p)
    failed += bool(problems)
print('%d passed, %d failed' % (len(results) - failed, failed))
sys.exit(1 if failed else 0)
