#!/usr/bin/env python3
"""pathkeep-cli plot, checked with a BMP decoder of its own: the header and
the pixels are read here with struct, not with the library that wrote them.

Usage: plot_verb_test.py PATHKEEP_CLI
"""
import os
import struct
import subprocess
import sys
import tempfile

CLI = sys.argv[1]

GPX = """<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
  <trk><name>two</name><trkseg>
    <trkpt lat="10" lon="20"><ele>100</ele><time>2009-07-06T00:00:00Z</time></trkpt>
    <trkpt lat="10.9" lon="21.8"><ele>200</ele><time>2009-07-08T00:00:00Z</time></trkpt>
  </trkseg></trk>
</gpx>
"""

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def read_bmp(path):
    """Returns (width, height, rows of (r, g, b)) from an uncompressed BMP."""
    data = open(path, "rb").read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    if magic != b"BM" or size != len(data):
        raise ValueError("not a complete BMP file")
    header, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if planes != 1 or compression not in (0, 3) or bits not in (24, 32):
        raise ValueError("unexpected BMP layout: %d bits, compression %d" % (bits, compression))
    stride = (width * bits // 8 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        # Rows are stored bottom up unless the height is negative.
        source = abs(height) - 1 - y if height > 0 else y
        start = offset + source * stride
        row = []
        for x in range(width):
            b, g, r = struct.unpack_from("<BBB", data, start + x * bits // 8)
            row.append((r, g, b))
        rows.append(row)
    return width, abs(height), rows


def run(*args):
    env = dict(os.environ, PATHKEEP_HOME=home)
    return subprocess.run([CLI, "plot", *args], capture_output=True, text=True, env=env)


with tempfile.TemporaryDirectory() as tmp:
    home = os.path.join(tmp, "home")
    gpx = os.path.join(tmp, "two.gpx")
    with open(gpx, "w") as f:
        f.write(GPX)

    # The point plot of 200 x 100: 0.01 degrees a pixel, margins 10 and 5,
    # so the points sit at (10, 95) and (190, 5) and the red line passes (100, 50).
    out = os.path.join(tmp, "points.bmp")
    r = run(gpx, "--kind", "points", "--size", "200x100", "--out", out)
    check(r.returncode == 0, "points plot exits 0: " + r.stderr)
    width, height, px = read_bmp(out)
    check((width, height) == (200, 100), "size 200x100, got %dx%d" % (width, height))
    check(px[50][100] == (255, 0, 0), "red line pixel at (100, 50): %s" % (px[50][100],))
    check(px[95][8] == (0, 0, 255), "first square in minAlt's blue: %s" % (px[95][8],))
    check(px[4][189] == (255, 255, 255), "inside of the second square is white")
    check(px[60][165] == (166, 202, 240), "compass face: %s" % (px[60][165],))

    # Time/way of two days on 400 x 300: the line of minute 121 (two hours)
    # lies Round((121 / 1440) / (2 / 300)) = 13 pixels above the bottom.
    out = os.path.join(tmp, "way.bmp")
    r = run(gpx, "--kind", "way", "--size", "400x300", "--option", "", "--out", out)
    check(r.returncode == 0, "time/way exits 0: " + r.stderr)
    _, _, px = read_bmp(out)
    check(px[287][300] == (128, 128, 128), "grey time line at y 287: %s" % (px[287][300],))
    check(px[286][300] == (255, 255, 255), "white above the time line")

    # Time/height with the default 200 m: top 250, 300 pixels: the 0 m line at
    # 300 - Round(50 / (250 / 300)) = 240, doubled at 239.
    out = os.path.join(tmp, "height.bmp")
    r = run(gpx, "--kind", "height", "--size", "400x300", "--out", out)
    check(r.returncode == 0, "time/height exits 0: " + r.stderr)
    _, _, px = read_bmp(out)
    check(px[240][200] == (128, 128, 128) and px[239][200] == (128, 128, 128), "doubled 0 m line")
    check(px[241][200] == (255, 255, 255), "white below the 0 m line")

    # PNG when the name says so.
    out = os.path.join(tmp, "speed.png")
    r = run(gpx, "--kind", "speed", "--out", out)
    check(r.returncode == 0, "time/speed exits 0: " + r.stderr)
    check(open(out, "rb").read(8) == b"\x89PNG\r\n\x1a\n", "PNG signature")

    # Failures and wrong usage.
    r = run(gpx, "--kind", "points", "--node", "routes", "--out", os.path.join(tmp, "none.bmp"))
    check(r.returncode == 1 and not os.path.exists(os.path.join(tmp, "none.bmp")), "nothing to plot: exit 1, no file")
    r = run(gpx, "--kind", "points", "--node", "trackpoints/7", "--out", os.path.join(tmp, "x.bmp"))
    check(r.returncode == 1, "missing node: exit 1")
    r = run(os.path.join(tmp, "missing.gpx"), "--kind", "points", "--out", os.path.join(tmp, "x.bmp"))
    check(r.returncode == 1, "unreadable file: exit 1")
    r = run(gpx, "--kind", "height", "--max-height", "lots", "--out", os.path.join(tmp, "x.bmp"))
    check(r.returncode == 2, "--max-height that is no number: exit 2")
    for size in ("0x10", "20000x10", "10", "10x-5", "9000x9000"):
        r = run(gpx, "--kind", "points", "--size", size, "--out", os.path.join(tmp, "x.bmp"))
        check(r.returncode == 2, "--size %s: exit 2" % size)
    r = run(gpx, "--kind", "map", "--out", os.path.join(tmp, "x.bmp"))
    check(r.returncode == 2, "unknown kind: exit 2")
    r = run(gpx, "--kind", "points", "--out", os.path.join(tmp, "no-such-dir", "x.bmp"))
    check(r.returncode == 1, "unwritable output: exit 1")

sys.exit(1 if failures else 0)
