#!/usr/bin/env python3
"""Every GPX and KML file of the test data opens, and pathkeep-cli info
reports the counts worked out independently from the file."""

import os
import subprocess
import sys

from gps_files import read

cli, folders = sys.argv[1], sys.argv[2:]
failures = 0
# Our copies, and the shared collection beside the checkout when it is there.
files = sorted(os.path.join(data, d, f) for data in folders if os.path.isdir(data) for d in ('gpx', 'kml')
               for f in os.listdir(os.path.join(data, d)))
for path in files:
    run = subprocess.run([cli, 'info', path], capture_output=True, text=True)
    got = [l for l in run.stdout.splitlines() if l.startswith(('Waypoints:', 'Routes   :', 'Tracks   :', 'Track '))]
    want = read(path).summary()
    ok = run.returncode == 0 and got == want
    failures += not ok
    print('%s %s' % ('ok  ' if ok else 'FAIL', path))
    if not ok:
        print('  exit %d\n  got  %s\n  want %s\n  %s' % (run.returncode, got, want, run.stderr.strip()))
print('%d passed, %d failed' % (len(files) - failures, failures))
sys.exit(1 if failures else 0)
