#!/usr/bin/env python3
"""Every OziExplorer, CSV and route file of the test data opens or converts,
with the counts worked out here from the files' lines."""

import os
import subprocess
import sys
import tempfile

cli, data = sys.argv[1], sys.argv[2]
work = tempfile.mkdtemp(prefix='pathkeep-legacy-')


def text(path):
    raw = open(path, 'rb').read()
    try:
        return raw.decode('utf-8')
    except UnicodeDecodeError:
        return raw.decode('cp1252', errors='replace')


def lines(path):
    return text(path).replace('\r\n', '\n').split('\n')


def field(line, n):
    parts = line.split(',')
    return parts[n - 1].split('*')[0].strip() if n <= len(parts) else ''


def number(s):
    try:
        return float(s.strip().replace(',', '.'))
    except ValueError:
        return None


def kept(lat, lon):
    if lat == '' and lon == '':
        return False
    return not ((number(lat) or 0) == 0 and (number(lon) or 0) == 0)


def plt_points(path):
    return sum(1 for l in lines(path)[6:] if l.strip() and (field(l, 4) == '-777' or number(field(l, 4)) is not None)
               and kept(field(l, 1), field(l, 2)))


def wpt_points(path):
    return sum(1 for l in lines(path)[4:] if l.strip() and (field(l, 15) == '-777' or number(field(l, 15)) is not None))


def coordinate(text, letters):
    """A coordinate field without its hemisphere letter, and whether it is in range."""
    t = text.strip()
    if t and t[-1].upper() in letters:
        t = t[:-1].strip()
    elif t and t[0].upper() in letters:
        t = t[1:].strip()
    v = number(t)
    return t, v is not None and abs(v) <= (90 if letters == 'NS' else 360)


def csv_points(path, sep, columns, header):
    n = 0
    for i, l in enumerate(lines(path)):
        if (i == 0 and header) or (l == '' and i == len(lines(path)) - 1):
            continue
        parts = l.split(sep)
        lat = parts[columns.index('lat')].strip() if 'lat' in columns and columns.index('lat') < len(parts) else ''
        lon = parts[columns.index('lon')].strip() if 'lon' in columns and columns.index('lon') < len(parts) else ''
        if lat == '' and lon == '':
            continue
        (lat, lat_ok), (lon, lon_ok) = coordinate(lat, 'NS'), coordinate(lon, 'EW')
        n += lat_ok and lon_ok and kept(lat, lon)
    return n


def info(path, *options):
    r = subprocess.run([cli, 'convert', path, os.path.join(work, 'out.gpx')] + list(options), capture_output=True,
                       text=True)
    if r.returncode != 0:
        return None, r.stderr
    out = open(os.path.join(work, 'out.gpx'), encoding='utf-8').read()
    return (out.count('<wpt'), out.count('<trkpt')), r.stderr


# Column choices per CSV file: what a user would pick in the wizard.
CSV = {
    'garminconnect.csv': (',', ['skip', 'lat', 'lon', 'alt'], True),
    'libreoffice.csv': (',', ['skip', 'lat', 'lon'], True),
    'iblue747.csv': (',', ['skip', 'skip', 'date', 'time', 'skip', 'lat', 'hemisphere', 'lon', 'hemisphere', 'alt'],
                     True),
    'v900_basic_mode.csv': (',', ['skip', 'skip', 'date', 'time', 'lat', 'lon', 'alt'], True),
    'garmin_g1000.csv': (',', ['date', 'time', 'skip', 'skip', 'lat', 'lon', 'alt'], False),
}

results = []
for name in sorted(os.listdir(os.path.join(data, 'plt'))):
    path = os.path.join(data, 'plt', name)
    got, err = info(path)
    results.append(('plt/' + name, got == (0, plt_points(path)), got, (0, plt_points(path)), err))
for name in sorted(os.listdir(os.path.join(data, 'wpt'))):
    path = os.path.join(data, 'wpt', name)
    got, err = info(path)
    results.append(('wpt/' + name, got == (wpt_points(path), 0), got, (wpt_points(path), 0), err))
for name, (sep, columns, header) in sorted(CSV.items()):
    path = os.path.join(data, 'csv', name)
    sepname = {',': 'comma', ';': 'semicolon', '\t': 'tab'}[sep]
    got, err = info(path, '--csv-separator', sepname, '--csv-columns', ','.join(columns), '--csv-header',
                    'yes' if header else 'no')
    want = (0, csv_points(path, sep, columns, header))
    if want == (0, 0):
        # Columns that give no point: the conversion fails and says so.
        results.append(('csv/' + name, got is None and 'No point' in err, got, None, err))
    else:
        results.append(('csv/' + name, got == want, got, want, err))
# tree and info read a CSV with the columns the wizard guesses, as convert does.
for name in ('iblue747.csv', 'v900_basic_mode.csv', 'garminconnect.csv'):
    path = os.path.join(data, 'csv', name)
    converted, err = info(path)
    shown = subprocess.run([cli, 'info', path], capture_output=True, text=True)
    tree = subprocess.run([cli, 'tree', path], capture_output=True, text=True)
    want = 'Track 1 : name = ACTIVE LOG, %d points' % (converted[1] if converted else -1)
    ok = bool(converted) and converted[1] > 0 and want in shown.stdout and tree.stdout.count('trkpt (') == converted[1]
    results.append(('csv/' + name + ' by info and tree', ok, shown.stdout.splitlines()[-1:], want,
                    shown.stderr + tree.stderr))
for name in sorted(os.listdir(os.path.join(data, 'rte'))):
    src = os.path.join(data, 'rte', name)
    copy = os.path.join(work, name)
    open(copy, 'wb').write(open(src, 'rb').read())
    r = subprocess.run([cli, 'rte2gpx', copy], capture_output=True, text=True)
    want = sum(1 for l in lines(src) if field(l, 1).lower() == 'w')
    out = os.path.join(work, os.path.splitext(name)[0] + '.gpx')
    got = open(out, encoding='latin-1').read().count('<wpt') if r.returncode == 0 else None
    results.append(('rte/' + name, got == want and want > 0, got, want, r.stderr))

failed = 0
for name, ok, got, want, err in results:
    print('%s %s' % ('ok  ' if ok else 'FAIL', name))
    if not ok:
        failed += 1
        print('    got %s want %s %s' % (got, want, err.strip()))
print('%d passed, %d failed' % (len(results) - failed, failed))
sys.exit(1 if failed else 0)
