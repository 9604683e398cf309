#!/usr/bin/env python3
"""pathkeep-cli map, checked with a PNG decoder of its own (zlib and the five
row filters, read here, not with the library that wrote the file), and with
a tile server of its own on 127.0.0.1 for --tiles.

Usage: map_verb_test.py PATHKEEP_CLI
"""
import http.server
import os
import struct
import subprocess
import sys
import tempfile
import threading
import zlib

CLI = sys.argv[1]

# A two-point track climbing from 10 to 50 m: the fitted picture has the
# middle of its one segment in its own middle, in the lowest altitude's blue.
GPX = """<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
  <trk><name>line</name><trkseg>
    <trkpt lat="51.80" lon="5.80"><ele>10</ele></trkpt>
    <trkpt lat="51.86" lon="5.92"><ele>50</ele></trkpt>
  </trkseg></trk>
</gpx>
"""
BLUE = (0, 0, 255)
BACKGROUND = (236, 234, 226)
TILE = (30, 160, 90)

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def read_png(path):
    """Returns (width, height, rows of (r, g, b)) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("unexpected PNG layout: depth %d, colour type %d" % (depth, colour))
    bpp = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = previous[i]
            c = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def png_of(colour):
    """A 256 x 256 PNG of one colour, made here."""
    row = b"\x00" + bytes(colour) * 256
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 256, 256, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(row * 256)) + chunk(b"IEND", b""))


class Tiles(http.server.BaseHTTPRequestHandler):
    requests = 0
    agents = set()

    def do_GET(self):
        Tiles.requests += 1
        Tiles.agents.add(self.headers.get("User-Agent"))
        body = png_of(TILE)
        self.send_response(200)
        self.send_header("Content-Type", "image/png")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def run(*args):
    env = dict(os.environ, PATHKEEP_HOME=home)
    return subprocess.run([CLI, "map", *args], capture_output=True, text=True, env=env, timeout=120)


with tempfile.TemporaryDirectory() as tmp:
    home = os.path.join(tmp, "home")
    os.mkdir(home)
    gpx = os.path.join(tmp, "line.gpx")
    with open(gpx, "w") as f:
        f.write(GPX)

    # Without --tiles: the background and its grid, the track over it; no network.
    out = os.path.join(tmp, "grid.png")
    r = run(gpx, "--out", out, "--size", "300x200")
    check(r.returncode == 0, "grid map exits 0: " + r.stderr)
    width, height, px = read_png(out)
    check((width, height) == (300, 200), "size 300x200, got %dx%d" % (width, height))
    check(px[100][150] == BLUE, "the track's middle in the middle: %s" % (px[100][150],))
    flat = [p for row in px for p in row]
    check(flat.count(BACKGROUND) > len(flat) // 2, "mostly background")
    check(flat.count(BLUE) > 50, "a line of track pixels, %d" % flat.count(BLUE))

    # With --tiles: the tiles under the track, fetched once, then from the cache.
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Tiles)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    tiles = "http://127.0.0.1:%d/{z}/{x}/{y}.png" % server.server_address[1]
    out = os.path.join(tmp, "tiles.png")
    r = run(gpx, "--out", out, "--size", "300x200", "--tiles", tiles)
    check(r.returncode == 0, "tile map exits 0: " + r.stderr)
    width, height, px = read_png(out)
    check(px[100][150] == BLUE, "the track over the tiles: %s" % (px[100][150],))
    check(px[3][3] == TILE and px[150][20] == TILE, "tile pixels: %s %s" % (px[3][3], px[150][20]))
    check((255, 255, 255) in px[height - 8][width - 60:], "the tiles' credit at the bottom right")
    first = Tiles.requests
    check(1 <= first <= 6, "only the picture's tiles asked for: %d" % first)
    check(all(a and a.startswith("Pathkeep/") for a in Tiles.agents), "User-Agent %s" % Tiles.agents)
    r = run(gpx, "--out", out, "--size", "300x200", "--tiles", tiles)
    check(r.returncode == 0 and Tiles.requests == first, "second run from the cache: %d requests" % Tiles.requests)
    server.shutdown()
    server.server_close()

    # A server nobody answers on: the grid instead, said once, and no waiting
    # for a server out of reach (a script would otherwise hang for a minute).
    dead = "http://127.0.0.1:%d/{z}/{x}/{y}.png" % server.server_address[1]
    out = os.path.join(tmp, "dead.png")
    fresh = os.path.join(tmp, "fresh")  # no cache of that server's tiles
    os.mkdir(fresh)
    try:
        r = subprocess.run([CLI, "map", gpx, "--out", out, "--size", "300x200", "--tiles", dead],
                           capture_output=True, text=True, env=dict(os.environ, PATHKEEP_HOME=fresh), timeout=20)
        check(r.returncode == 0 and "could not be had" in r.stderr, "dead server: %d %s" % (r.returncode, r.stderr))
        width, height, px = read_png(out)
        check(px[100][150] == BLUE and [p for row in px for p in row].count(BACKGROUND) > 0, "dead server: grid and track")
    except subprocess.TimeoutExpired:
        check(False, "dead server: still waiting after 20 s")

    # Unreadable input and unwritable output fail; wrong usage names the bad word.
    r = run(os.path.join(tmp, "missing.gpx"), "--out", out)
    check(r.returncode == 1, "missing file exits 1, got %d" % r.returncode)
    r = run(gpx, "--out", os.path.join(tmp, "no", "such", "folder.png"))
    check(r.returncode == 1, "unwritable image exits 1, got %d" % r.returncode)
    for args, word in ((["--out", out], "FILE"), ([gpx, "--size", "0x5", "--out", out], "0x5"),
                       ([gpx, "--out", out, "--frob"], "--frob"), ([gpx, "--out", out, "--tiles", "http://x/"], "http://x/"),
                       ([gpx], "--out")):
        r = run(*args)
        check(r.returncode == 2 and word in r.stderr, "usage %s exits 2 naming %s: %d %s" % (args, word, r.returncode, r.stderr[:80]))

if failures:
    sys.exit(1)
print("map verb: all checks passed")
