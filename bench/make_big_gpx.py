#!/usr/bin/env python3
"""Writes a GPX file with one long track (default 1,000,000 points, 7-decimal
co-ordinates, an altitude and a time per point), a few waypoints and a route."""

import sys
from datetime import datetime, timedelta, timezone


def main(path, n):
    start = datetime(2026, 5, 1, 6, 0, 0, tzinfo=timezone.utc)
    with open(path, 'w', encoding='utf-8') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<gpx version="1.1" creator="bench" xmlns="http://www.topografix.com/GPX/1/1">\n')
        for i in range(5):
            f.write('  <wpt lat="%.7f" lon="%.7f"><ele>%.1f</ele><name>WP%d</name><sym>Flag, Blue</sym></wpt>\n'
                    % (51.5 + i * 0.01, 5.2 + i * 0.01, 10 + i, i))
        f.write('  <rte><name>Plan</name>\n')
        for i in range(20):
            f.write('    <rtept lat="%.7f" lon="%.7f"><name>R%d</name></rtept>\n' % (51.5 + i * 0.002, 5.2 + i * 0.003, i))
        f.write('  </rte>\n  <trk><name>Long ride</name><trkseg>\n')
        lat, lon = 51.4, 5.1
        t = start
        second = timedelta(seconds=1)
        for i in range(n):
            lat += 0.0000137 if (i // 5000) % 2 == 0 else -0.0000137
            lon += 0.0000091
            f.write('    <trkpt lat="%.7f" lon="%.7f"><ele>%.1f</ele><time>%s</time></trkpt>\n'
                    % (lat, lon, 12.0 + (i % 400) * 0.1, t.strftime('%Y-%m-%dT%H:%M:%SZ')))
            t += second
        f.write('  </trkseg></trk>\n</gpx>\n')


if __name__ == '__main__':
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000)
