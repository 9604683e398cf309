#!/usr/bin/env python3
"""pathkeep-cli nmea-log: the files it writes, the error count it prints and
its exit codes. Checksums are worked out here.

Usage: nmea_log_test.py PATHKEEP_CLI
"""
import os
import subprocess
import sys
import tempfile
from functools import reduce

CLI = sys.argv[1]
work = tempfile.mkdtemp(prefix='pathkeep-nmealog-')
results = []


def sentence(body):
    return '$%s*%02X' % (body, reduce(lambda a, c: a ^ ord(c), body, 0))


def write(name, lines):
    path = os.path.join(work, name)
    with open(path, 'w', newline='') as f:
        f.write(''.join(l + '\r\n' for l in lines))
    return path


def run(*args):
    r = subprocess.run([CLI, 'nmea-log'] + list(args), capture_output=True, text=True,
                       env=dict(os.environ, PATHKEEP_HOME=os.path.join(work, 'home')))
    return r.returncode, r.stdout, r.stderr


def read(path):
    with open(path, newline='') as f:
        return f.read().split('\r\n')[:-1]


def check(name, ok, detail=''):
    results.append(ok)
    print('%s %s%s' % ('ok  ' if ok else 'FAIL', name, '' if ok else '\n    ' + str(detail)))


day1 = sentence('GPRMC,235959,A,5209.000,N,00509.000,E,0.0,0.0,080308,,')
day2 = sentence('GPRMC,000001,A,5209.010,N,00509.010,E,0.0,0.0,090308,,')
gga = sentence('GPGGA,000001,5209.010,N,00509.010,E,1,08,0.9,5.0,M,46.9,M,,')
bad = day2[:-2] + ('00' if day2[-2:] != '00' else '11')
source = write('trip.log', ['$ --- Start ---', gga, day1, '', bad, day2, gga])
with open(source, 'rb') as f:
    original = f.read()

code, out, err = run(source, '--split', '--remove-bad')
files = [l[len('Written: '):] for l in out.splitlines() if l.startswith('Written: ')]
check('split: one file per date, named after it, exit 0',
      code == 0 and [os.path.basename(p) for p in files] == ['trip (080308).log', 'trip (090308).log'],
      (code, out, err))
check('split: lines before the first date go to the first file',
      files and read(files[0]) == [gga, day1], files and read(files[0]))
check('split: the second date from its first RMC line on, bad lines dropped',
      len(files) > 1 and read(files[1]) == [day2, gga], len(files) > 1 and read(files[1]))
check('the errors: the logger line, the empty line and the bad checksum',
      out.splitlines()[-1:] == ['Errors: 3'], out)

code, out, _ = run(source, '--check')
check('check alone counts and writes nothing',
      code == 0 and out.splitlines() == ['Errors: 3'] and not any('convert' in f for f in os.listdir(work)),
      (out, os.listdir(work)))

code, out, _ = run(source, '--check', '--rmc-only')
code2, out2, _ = run(source, '--rmc-only')
check('rmc-only twice: "(convert).log", then "(convert).log.log"',
      code == 0 and code2 == 0 and out.startswith('Written: ' + os.path.join(work, 'trip (convert).log\n'))
      and out2.startswith('Written: ' + os.path.join(work, 'trip (convert).log.log\n')), (out, out2))
check('rmc-only keeps the RMC lines, bad ones too',
      read(os.path.join(work, 'trip (convert).log')) == [day1, bad, day2], out)

with open(source, 'rb') as f:
    check('the source is never changed', f.read() == original)

code, out, err = run(source)
check('no option: message 53, exit 1', code == 1 and 'Select at least one option.' in err, (code, err))
code, out, err = run(os.path.join(work, 'missing.log'), '--check')
check('missing file: message 54, exit 1', code == 1 and 'The specified File does not exist.' in err, (code, err))
code, out, err = run(source, '--frobnicate')
check('unknown option: usage error, exit 2', code == 2, (code, err))

# convert --format nmea: the drive along a track.
gpx = os.path.join(work, 'two.gpx')
with open(gpx, 'w') as f:
    f.write('<?xml version="1.0"?><gpx version="1.1" creator="t"><trk><name>a</name><trkseg>'
            '<trkpt lat="52" lon="5"/><trkpt lat="52.001" lon="5"/></trkseg></trk>'
            '<trk><name>b</name><trkseg><trkpt lat="52" lon="5"/><trkpt lat="52.001" lon="5"/>'
            '<trkpt lat="52.002" lon="5"/></trkseg></trk></gpx>')


def convert(*args):
    r = subprocess.run([CLI, 'convert'] + list(args), capture_output=True, text=True,
                       env=dict(os.environ, PATHKEEP_HOME=os.path.join(work, 'home')))
    return r.returncode, r.stdout, r.stderr


code, out, err = convert(gpx, os.path.join(work, 'drive.txt'), '--format', 'nmea', '--track', 'b', '--speed', '11.1',
                         '--step', '2', '--time', '08-03-2008 12:00:00')
drive = read(os.path.join(work, 'drive.log')) if os.path.exists(os.path.join(work, 'drive.log')) else []
# The walk ends on the last point but one: 0.001 degrees of latitude, 111.3 m
# on the program's sphere, are 5 strides of 22.2 m and one of 0.3 m.
check('--format nmea writes OUT.log, one sentence per 2 s', code == 0 and len(drive) == 7 and
      drive[0].startswith('$GPRMC,120000,A,5200.0000,N,00500.0000,E,0.0,') and drive[1].startswith('$GPRMC,120002,')
      and ',21.576,' in drive[1] and 'Written: ' + os.path.join(work, 'drive.log') in out, (code, out, err, drive[:2]))
code, out, err = convert(gpx, os.path.join(work, 'one.log'))
check('OUT.log: NMEA without --format, the first track (two points: one sentence)',
      code == 0 and len(read(os.path.join(work, 'one.log'))) == 1 and 'Track: a' in err, (code, out, err))
for args, want in ((['--speed', '0'], 1), (['--step', '-1'], 1), (['--speed', 'fast'], 1), (['--track', 'zz'], 1),
                   (['--time', 'yesterday'], 2)):
    target = os.path.join(work, 'refused.log')
    code, out, err = convert(gpx, target, *args)
    check('refused: %s, exit %d, nothing written' % (' '.join(args), want),
          code == want and not os.path.exists(target), (code, err))

sys.exit(0 if all(results) else 1)
