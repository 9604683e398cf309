#!/usr/bin/env python3
"""Writes data/demo.gpx: a made-up afternoon walk along the Rhine near Arnhem
with a few waypoints and a planned route. Deterministic, so the file only
changes when this script does."""

import math
import sys
from datetime import datetime, timedelta, timezone

START = datetime(2026, 6, 14, 13, 0, 0, tzinfo=timezone.utc)


def track_points():
    # A gently curving walk: heading east, then north-east, about 4.5 km.
    lat, lon, ele = 51.9770, 5.9010, 12.0
    for i in range(240):
        heading = math.radians(80 - 40 * math.sin(i / 60.0))
        step_m = 18.0 + 3.0 * math.sin(i / 7.0)
        lat += step_m * math.cos(heading) / 111_320.0
        lon += step_m * math.sin(heading) / (111_320.0 * math.cos(math.radians(lat)))
        ele = 12.0 + 6.0 * math.sin(i / 25.0) + (i % 5) * 0.1
        yield lat, lon, ele, START + timedelta(seconds=15 * i)


WAYPOINTS = [
    (51.97702, 5.90104, 12.0, "Start", "Flag, Green", "Parking at the river"),
    (51.98113, 5.92571, 14.5, "Bridge", "Bridge", "John Frost bridge view"),
    (51.98642, 5.94420, 16.2, "Cafe", "Restaurant", "Coffee & apple pie"),
    (51.99021, 5.95788, 11.8, "Finish", "Flag, Red", ""),
]

ROUTE = [
    (51.97702, 5.90104, "R1"),
    (51.98113, 5.92571, "R2"),
    (51.98642, 5.94420, "R3"),
    (51.99021, 5.95788, "R4"),
]


def esc(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def main(path):
    out = ['<?xml version="1.0" encoding="UTF-8"?>',
           '<gpx version="1.1" creator="Pathkeep demo generator" xmlns="http://www.topografix.com/GPX/1/1">',
           '  <metadata>', '    <name>Rhine walk</name>',
           '    <time>2026-06-14T13:00:00Z</time>', '  </metadata>']
    for lat, lon, ele, name, sym, desc in WAYPOINTS:
        out.append(f'  <wpt lat="{lat:.5f}" lon="{lon:.5f}">')
        out.append(f'    <ele>{ele:.1f}</ele>')
        out.append(f'    <name>{esc(name)}</name>')
        if desc:
            out.append(f'    <desc>{esc(desc)}</desc>')
        out.append(f'    <sym>{esc(sym)}</sym>')
        out.append('  </wpt>')
    out.append('  <rte>')
    out.append('    <name>Planned walk</name>')
    for lat, lon, name in ROUTE:
        out.append(f'    <rtept lat="{lat:.5f}" lon="{lon:.5f}"><name>{name}</name></rtept>')
    out.append('  </rte>')
    out.append('  <trk>')
    out.append('    <name>Rhine walk</name>')
    out.append('    <trkseg>')
    for lat, lon, ele, t in track_points():
        out.append(f'      <trkpt lat="{lat:.7f}" lon="{lon:.7f}"><ele>{ele:.1f}</ele>'
                   f'<time>{t.strftime("%Y-%m-%dT%H:%M:%SZ")}</time></trkpt>')
    out.append('    </trkseg>')
    out.append('  </trk>')
    out.append('</gpx>')
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/demo.gpx")
