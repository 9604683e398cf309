"""Helpers for tests against tools/garmin-sim: start it on a pseudo-terminal
with bounded waits, stop it, and read GPX files into plain records."""

import os
import signal
import subprocess
import time
import xml.etree.ElementTree as ET

START_TIMEOUT = 10


class Simulator:
    def __init__(self, binary, *args, save=None):
        self.save = save
        cmd = [binary] + list(args) + (['--save', save] if save else [])
        self.proc = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        deadline = time.time() + START_TIMEOUT
        self.path = None
        while time.time() < deadline and self.path is None:
            line = self.proc.stdout.readline()
            if line:
                self.path = line.strip()
            elif self.proc.poll() is not None:
                break
        if not self.path:
            self.stop()
            raise RuntimeError('garmin-sim did not start: ' + ' '.join(cmd))

    def stop(self):
        """Ends the simulator (it saves on SIGTERM); returns its stderr."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait(timeout=10)
        return self.proc.stderr.read() if self.proc.stderr else ''

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def _local(tag):
    return tag.rsplit('}', 1)[-1]


def _kids(e, name):
    return [c for c in e if _local(c.tag) == name]


def _text(e, name):
    for c in e:
        if _local(c.tag) == name:
            return (c.text or '').strip()
    return ''


def _point(p):
    ele = _text(p, 'ele')
    return {'lat': float(p.get('lat')), 'lon': float(p.get('lon')), 'ele': float(ele) if ele else None,
            'name': _text(p, 'name'), 'sym': _text(p, 'sym'), 'time': _text(p, 'time'), 'cmt': _text(p, 'cmt')}


def read_gpx(path):
    root = ET.parse(path).getroot()
    return {
        'waypoints': [_point(w) for w in _kids(root, 'wpt')],
        'routes': [(_text(r, 'name'), [_point(p) for p in _kids(r, 'rtept')]) for r in _kids(root, 'rte')],
        'tracks': [(_text(t, 'name'), [_point(p) for s in _kids(t, 'trkseg') for p in _kids(s, 'trkpt')])
                   for t in _kids(root, 'trk')],
    }


def utc_seconds(text):
    """An XML date-time ("...Z" or "+hh:mm") as seconds since 1970, for comparing instants."""
    import datetime
    t = text.replace('Z', '+00:00')
    return datetime.datetime.fromisoformat(t).timestamp()


# One semicircle is 180 / 2^31 degrees; writers round to their own decimals.
POSITION_TOLERANCE = 2e-7


def compare_points(what, expected, got, fields, problems, ele_tolerance=1e-3):
    if len(expected) != len(got):
        problems.append('%s: %d points, expected %d' % (what, len(got), len(expected)))
        return
    for i, (e, g) in enumerate(zip(expected, got)):
        where = '%s point %d' % (what, i + 1)
        if abs(e['lat'] - g['lat']) > POSITION_TOLERANCE or abs(e['lon'] - g['lon']) > POSITION_TOLERANCE:
            problems.append('%s: position %s,%s vs %s,%s' % (where, g['lat'], g['lon'], e['lat'], e['lon']))
        if 'ele' in fields and (g['ele'] is None or abs(e['ele'] - g['ele']) > ele_tolerance):
            problems.append('%s: ele %s vs %s' % (where, g['ele'], e['ele']))
        for f in ('name', 'sym', 'cmt'):
            if f in fields and e[f] != g[f]:
                problems.append('%s: %s %r vs %r' % (where, f, g[f], e[f]))
        if 'time' in fields and (not g['time'] or utc_seconds(e['time']) != utc_seconds(g['time'])):
            problems.append('%s: time %r vs %r' % (where, g['time'], e['time']))


def report(results):
    failed = 0
    for name, problems in results:
        if problems:
            failed += 1
            print('FAIL %s' % name)
            for p in problems[:10]:
                print('    ' + p)
        else:
            print('ok   %s' % name)
    return 1 if failed else 0
