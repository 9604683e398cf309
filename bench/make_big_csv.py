#!/usr/bin/env python3
"""Writes a CSV log of lat,lon,alt rows along the same wandering track as
make_big_gpx.py (default 1,000,000 rows, a heading line first)."""

import sys


def main(path, n):
    with open(path, 'w') as f:
        f.write('lat,lon,alt\n')
        lat, lon = 51.4, 5.1
        for i in range(n):
            lat += 0.0000137 if (i // 5000) % 2 == 0 else -0.0000137
            lon += 0.0000091
            f.write('%.7f,%.7f,%.1f\n' % (lat, lon, 12.0 + (i % 400) * 0.1))


if __name__ == '__main__':
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000)
