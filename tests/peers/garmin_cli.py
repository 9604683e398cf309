#!/usr/bin/env python3
"""pathkeep-cli garmin against tools/garmin-sim (checked against GPSBabel
by garmin_sim_gpsbabel.py): downloads and uploads keep the points, exit
codes tell success, failure and wrong usage apart."""

import os
import pty
import subprocess
import sys
import tempfile

from garmin_sim import Simulator, compare_points, read_gpx, report

cli, sim_binary, data = sys.argv[1], sys.argv[2], sys.argv[3]
fixture = os.path.join(data, 'garmin', 'receiver.gpx')
expected = read_gpx(fixture)
work = tempfile.mkdtemp(prefix='pathkeep-garmin-cli-')
results = []


def garmin(args, timeout=120):
    return subprocess.run([cli, 'garmin'] + args, capture_output=True, text=True, timeout=timeout)


def check(name, fn):
    problems = []
    try:
        fn(problems)
    except Exception as e:  # noqa: BLE001 - every failure is a finding
        problems.append(repr(e))
    results.append((name, problems))


def download(problems):
    out = os.path.join(work, 'download.gpx')
    with Simulator(sim_binary, '--load', fixture) as sim:
        r = garmin(['--serial', sim.path, 'download', 'tracks,waypoints,routes', out])
    if r.returncode != 0:
        problems.append('exit %d: %s %s' % (r.returncode, r.stdout, r.stderr))
        return
    for line in ('get trackpoints: 5 track points received.', 'get waypoints: 3 waypoints received.',
                 'get routes: 1 route with 3 points received.'):
        if line not in r.stdout.splitlines():
            problems.append('missing output line %r' % line)
    got = read_gpx(out)
    compare_points('waypoints', expected['waypoints'], got['waypoints'], ('name', 'sym', 'cmt', 'ele'), problems)
    compare_points('route', expected['routes'][0][1], got['routes'][0][1], ('name', 'sym', 'ele'), problems)
    if [n for n, _ in got['tracks']] != ['ACTIVE LOG 001', 'ACTIVE LOG 002']:
        problems.append('track names %r' % [n for n, _ in got['tracks']])
    for (_, e), (_, g) in zip(expected['tracks'], got['tracks']):
        compare_points('track', e, g, ('ele', 'time'), problems)


def upload(problems):
    saved = os.path.join(work, 'kept.gpx')
    sim = Simulator(sim_binary, '--tcp', '0', save=saved)
    try:
        r = garmin(['--tcp', '127.0.0.1:' + sim.path, 'upload', fixture, 'waypoints,routes', '--power-off'])
    finally:
        sim.stop()
    if r.returncode != 0:
        problems.append('exit %d: %s %s' % (r.returncode, r.stdout, r.stderr))
        return
    if 'put trackpoints' in r.stdout:
        problems.append('tracks were sent though not asked for')
    got = read_gpx(saved)
    compare_points('waypoints', expected['waypoints'], got['waypoints'], ('name', 'sym', 'cmt', 'ele'), problems)
    compare_points('route', expected['routes'][0][1], got['routes'][0][1], ('name', 'sym', 'ele'), problems)
    if got['tracks']:
        problems.append('the receiver got tracks')


def silent(problems):
    master, slave = pty.openpty()
    try:
        out = os.path.join(work, 'never.gpx')
        r = garmin(['--serial', os.ttyname(slave), 'download', 'waypoints', out])
    finally:
        os.close(master)
        os.close(slave)
    if r.returncode != 1:
        problems.append('exit %d, expected 1' % r.returncode)
    if 'No reaction from GPS receiver' not in r.stderr:
        problems.append('no "no reaction" message: %r' % r.stderr)
    if os.path.exists(out):
        problems.append('a file was written')


def no_channel(problems):
    r = garmin(['--serial', os.path.join(work, 'no-such-device'), 'info'])
    if r.returncode != 1:
        problems.append('exit %d, expected 1' % r.returncode)
    if 'Communication channel could not be opened!' not in r.stderr:
        problems.append('no "could not be opened" message: %r' % r.stderr)


def usage(problems):
    for args in (['info'], ['--serial', '/dev/null', '--tcp', 'h:1', 'info'], ['--serial', 'x', 'download'],
                 ['--serial', 'x', 'fly'], ['--tcp', 'nohost', 'info']):
        r = garmin(args, timeout=20)
        if r.returncode != 2:
            problems.append('%r: exit %d, expected 2' % (args, r.returncode))


check('pathkeep-cli garmin download over a pseudo-terminal', download)
check('pathkeep-cli garmin upload over TCP with power off', upload)
check('pathkeep-cli garmin against a silent receiver fails', silent)
check('pathkeep-cli garmin with a device that does not exist fails', no_channel)
check('pathkeep-cli garmin usage errors', usage)
sys.exit(report(results))
