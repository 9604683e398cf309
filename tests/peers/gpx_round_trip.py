#!/usr/bin/env python3
"""Every GPX file of the test data, opened and saved again with pathkeep-cli,
keeps the values it had: each point's position, ele, time, name, cmt, desc,
sym and type, and the file's metadata (a GPX 1.0 file's header included).
What the save does not keep must be named on stderr, with the number of
points that carry it. Both files are read with Python's own XML parser."""

import collections
import datetime
import os
import subprocess
import sys
import tempfile

from gps_files import children, first, local, number, text

import xml.etree.ElementTree as ET

KEPT = ('ele', 'time', 'name', 'cmt', 'desc', 'sym', 'type')
KINDS = {'wpt': ('waypoint', 'waypoints'), 'rtept': ('route point', 'route points'),
         'trkpt': ('track point', 'track points')}


def instant(s):
    s = s.strip()
    if not s:
        return None
    s = s.replace('Z', '+00:00')
    date, _, rest = s.partition('T')
    clock, zone = rest, ''
    for sign in '+-':
        if sign in rest:
            clock, zone = rest.split(sign, 1)[0], sign + rest.split(sign, 1)[1]
    whole, _, fraction = clock.partition('.')
    t = datetime.datetime.fromisoformat(date + 'T' + whole + (zone or '+00:00'))
    return round(t.timestamp() + float('0.' + (fraction or '0')), 3)


def point_fields(p):
    values = {local(c.tag): text(c).strip() for c in children(p) if local(c.tag) in KEPT}
    return (round(number(p.get('lat')), 9), round(number(p.get('lon')), 9),
            round(number(values.get('ele', '')), 6) if values.get('ele') else None,
            instant(values['time']) if values.get('time') else None,
            values.get('name', ''), values.get('cmt', ''), values.get('desc', ''),
            values.get('sym', '').lower(), values.get('type', ''))


def points(root):
    found = collections.Counter()
    for e in root.iter():
        kind = local(e.tag)
        if kind not in KINDS:
            continue
        if kind == 'trkpt' and number(e.get('lat')) == 0 and number(e.get('lon')) == 0:
            continue  # the document drops points at 0, 0
        found[(kind,) + point_fields(e)] += 1
    return found


def metadata(root):
    """The file's metadata as GPX 1.1 names it; a GPX 1.0 header when there is no metadata element."""
    m = first(root, 'metadata')
    got = {}
    if m is not None:
        for k in ('name', 'desc', 'time', 'keywords'):
            if first(m, k) is not None:
                got[k] = text(first(m, k))
        author = first(m, 'author')
        if author is not None:
            got['author'] = text(first(author, 'name'))
            email = first(author, 'email')
            if email is not None:
                got['email'] = email.get('id', '') + '@' + email.get('domain', '')
        link = first(m, 'link')
        if link is not None:
            got['url'], got['urlname'] = link.get('href', ''), text(first(link, 'text'))
    else:
        for k in ('name', 'desc', 'time', 'keywords', 'author', 'email', 'url', 'urlname'):
            if first(root, k) is not None:
                got[k] = text(first(root, k))
    return got  # bounds are left out: the document works them out from its points


def dropped(root):
    """The warning lines a reading must give for the children of points it does not keep."""
    lines = []
    for kind in ('wpt', 'rtept', 'trkpt'):
        count, names = 0, []
        for p in root.iter():
            if local(p.tag) != kind:
                continue
            extra = [local(c.tag) for c in children(p) if local(c.tag) not in KEPT]
            count += bool(extra)
            names += [n for n in extra if n not in names]
        if count:
            one, many = KINDS[kind]
            lines.append('%d %s %s %s that a save does not keep'
                         % (count, one if count == 1 else many, 'carries' if count == 1 else 'carry', ', '.join(names)))
    return lines


cli, folders = sys.argv[1], sys.argv[2:]
files = sorted(os.path.join(data, 'gpx', f) for data in folders if os.path.isdir(os.path.join(data, 'gpx'))
               for f in os.listdir(os.path.join(data, 'gpx')))
failures = 0
with tempfile.TemporaryDirectory() as tmp:
    for path in files:
        out = os.path.join(tmp, 'out.gpx')
        run = subprocess.run([cli, 'convert', path, out, '--format', 'gpx'], capture_output=True, text=True,
                             env=dict(os.environ, TZ='Europe/Amsterdam'))
        problems = []
        if run.returncode != 0:
            problems.append('exit %d: %s' % (run.returncode, run.stderr.strip()))
        else:
            before, after = ET.parse(path).getroot(), ET.parse(out).getroot()
            lost, gained = points(before) - points(after), points(after) - points(before)
            if lost or gained:
                problems.append('points lost %s\n    gained %s' % (list(lost)[:3], list(gained)[:3]))
            if metadata(before) != metadata(after):
                problems.append('metadata %s\n    became %s' % (metadata(before), metadata(after)))
            for line in dropped(before):
                if line not in run.stderr:
                    problems.append('not named on stderr: %s' % line)
        failures += bool(problems)
        print('%s %s' % ('FAIL' if problems else 'ok  ', path))
        for p in problems:
            print('  ' + p)
print('%d passed, %d failed' % (len(files) - failures, failures))
sys.exit(1 if failures else 0)
