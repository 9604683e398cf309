#!/usr/bin/env python3
"""pathkeep-cli convert tells of lost data: warnings on stderr (unless
--quiet), exit 0 when the conversion was done, 1 when IN could not be read
or gave nothing.

Usage: convert_test.py PATHKEEP_CLI
"""
import os
import subprocess
import sys
import tempfile

CLI = sys.argv[1]
work = tempfile.mkdtemp(prefix='pathkeep-convert-')
results = []

PLT = ('OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\nReserved 3\r\n'
       '0,2,255,T,0,0,2,8421376\r\n2\r\n'
       '  52.5,4.25,0,high,39448.5,,\r\n'
       '  52.6,4.3,0,100,39448.6,,\r\n')
GPX = ('<?xml version="1.0" encoding="UTF-8"?>\n<gpx version="1.1" creator="t" '
       'xmlns="http://www.topografix.com/GPX/1/1">\n'
       '<wpt lat="1" lon="2"><name>\u65e5\u672c</name></wpt>\n</gpx>\n')


def write(name, text, encoding='utf-8'):
    path = os.path.join(work, name)
    with open(path, 'w', encoding=encoding, newline='') as f:
        f.write(text)
    return path


def convert(*args):
    r = subprocess.run([CLI, 'convert'] + list(args), capture_output=True, text=True,
                       env=dict(os.environ, PATHKEEP_HOME=os.path.join(work, 'home')))
    return r.returncode, r.stderr


def check(name, ok, detail):
    results.append(ok)
    print('%s %s%s' % ('ok  ' if ok else 'FAIL', name, '' if ok else '\n    ' + detail))


plt = write('in.plt', PLT)
code, err = convert(plt, os.path.join(work, 'out.gpx'))
check('a skipped line is a warning on stderr, exit 0',
      code == 0 and 'warning: Line 7 skipped: the altitude "high" is not a number' in err, '%d %r' % (code, err))
with open(os.path.join(work, 'out.gpx'), encoding='utf-8') as f:
    check('the other point is converted', f.read().count('<trkpt') == 1, 'points')

code, err = convert(plt, os.path.join(work, 'quiet.gpx'), '--quiet')
check('--quiet silences warnings', code == 0 and 'warning' not in err, '%d %r' % (code, err))

gpx = write('names.gpx', GPX)
code, err = convert(gpx, os.path.join(work, 'out.wpt'))
check('characters an OziExplorer file cannot hold are a warning',
      code == 0 and 'warning: 2 characters' in err, '%d %r' % (code, err))

code, err = convert(os.path.join(work, 'missing.plt'), os.path.join(work, 'x.gpx'))
check('an input that cannot be read exits 1', code == 1 and err.strip() != '', '%d %r' % (code, err))

csv = write('none.csv', 'a,b\n1,2\n3,4\n')
code, err = convert(csv, os.path.join(work, 'none.gpx'), '--csv-separator', 'comma', '--csv-columns', 'skip,skip')
check('a CSV import that gives no point exits 1 and says so', code == 1 and 'No point' in err,
      '%d %r' % (code, err))

code, err = convert(csv, os.path.join(work, 'some.gpx'), '--csv-separator', 'comma', '--csv-columns', 'lat,lon')
check('the same file with columns converts', code == 0, '%d %r' % (code, err))

# Wrong usage exits 2 and names the offending word, once.
for args, word in ((['convert', csv, work], work), (['coord', 'abc'], 'abc'), (['coord', '95', '200'], '95'),
                   (['receive', '--tcp', '127.0.0.1:9', '--log', work], work)):
    r = subprocess.run([CLI] + args, capture_output=True, text=True, timeout=30,
                       env=dict(os.environ, PATHKEEP_HOME=os.path.join(work, 'home')))
    first = r.stderr.splitlines()[:1]
    check('usage: %s exits 2 naming %r' % (' '.join(args[:2]), word),
          r.returncode == 2 and first and word in first[0] and r.stderr.count(word) == 1,
          '%d %r' % (r.returncode, r.stderr[:300]))

failed = results.count(False)
print('%d passed, %d failed' % (len(results) - failed, failed))
sys.exit(1 if failed else 0)
