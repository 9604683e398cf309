#!/usr/bin/env python3
"""pathkeep-cli convert takes everything a conversion needs from its options
and asks nobody: no question or dialog is printed, the text export writes
the chosen points and columns, CSV input is read by the given columns, and a
save that has nothing to write fails with exit status 1.

Usage: convert_options_test.py PATHKEEP_CLI
"""
import os
import subprocess
import sys
import tempfile

CLI = sys.argv[1]

GPX = """<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
  <wpt lat="52.5" lon="4.25"><name>Dam</name></wpt>
  <wpt lat="51.25" lon="5.75"><name>Veld</name></wpt>
  <trk><name>walk</name><trkseg>
    <trkpt lat="50.5" lon="6.5"/><trkpt lat="50.75" lon="6.25"/><trkpt lat="51" lon="6"/>
  </trkseg></trk>
</gpx>
"""

failures = []
passed = []


def check(condition, what):
    if condition:
        passed.append(what)
    else:
        failures.append(what)
        print("FAIL:", what)


def run(*args, home):
    env = dict(os.environ, PATHKEEP_HOME=home, LC_ALL="C")
    return subprocess.run([CLI, *args], capture_output=True, text=True, env=env, timeout=60)


with tempfile.TemporaryDirectory() as tmp:
    gpx = os.path.join(tmp, "in.gpx")
    with open(gpx, "w") as f:
        f.write(GPX)

    # Waypoints with two columns, in the order given.
    out = os.path.join(tmp, "points.txt")
    r = run("convert", gpx, out, "--points", "waypoints", "--fields", "08,02", home=tmp)
    check(r.returncode == 0, "text export exits 0, got %d: %s" % (r.returncode, r.stderr))
    with open(out, newline="") as f:
        check(f.read() == "Name\tLatitude\r\nDam\t52.5\r\nVeld\t51.25\r\n", "waypoints with Name and Latitude")
    for marker in ("[No]", "[Cancel]", "TfmSelectField"):
        check(marker not in r.stderr, "no question answered on stderr (%s): %r" % (marker, r.stderr))

    # Tracks (the default) with all eleven columns when none are given.
    out = os.path.join(tmp, "track.txt")
    r = run("convert", gpx, out, "--format", "txt", home=tmp)
    check(r.returncode == 0, "track export exits 0")
    with open(out, newline="") as f:
        lines = f.read().split("\r\n")
    check(len(lines) == 5 and lines[0].count("\t") == 10, "a heading of eleven columns and three points: %r" % lines)

    # Delimited text read by the columns given, without the wizard.
    csv = os.path.join(tmp, "log.csv")
    with open(csv, "w") as f:
        f.write("x;y;z\n1;52.25;4.75\n2;52.5;4.5\n")
    out = os.path.join(tmp, "log.gpx")
    r = run("convert", csv, out, "--csv-separator", "semicolon", "--csv-columns", "skip,lat,lon",
            "--csv-header", "yes", home=tmp)
    check(r.returncode == 0, "CSV conversion exits 0: %s" % r.stderr)
    text = open(out).read()
    check('lat="52.25" lon="4.75"' in text and 'lat="52.5" lon="4.5"' in text, "both CSV points in the GPX")
    check("TfrmImportWizzard" not in r.stderr, "the import wizard is not shown")

    # A file that cannot be written is a failure, not a success.
    r = run("convert", gpx, os.path.join(tmp, "no", "such", "dir", "x.gpx"), home=tmp)
    check(r.returncode == 1, "an unwritable target exits 1, got %d" % r.returncode)

print("%d passed, %d failed" % (len(passed), len(failures)))
sys.exit(1 if failures else 0)
