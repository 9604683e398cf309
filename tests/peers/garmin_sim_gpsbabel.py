#!/usr/bin/env python3
"""GPSBabel checks that tools/garmin-sim is a faithful Garmin receiver: it
downloads the simulator's waypoints, routes and tracks with the points the
simulator was loaded with, and uploads a file into it that the simulator
keeps point for point."""

import os
import shutil
import subprocess
import sys
import tempfile

from garmin_sim import Simulator, compare_points, read_gpx, report

sim_binary, data = sys.argv[1], sys.argv[2]
if not shutil.which('gpsbabel'):
    print('gpsbabel not installed: simulator checks skipped')
    sys.exit(0)

fixture = os.path.join(data, 'garmin', 'receiver.gpx')
expected = read_gpx(fixture)
work = tempfile.mkdtemp(prefix='pathkeep-garmin-sim-')
results = []


def babel(args, timeout=60):
    r = subprocess.run(['gpsbabel'] + args, capture_output=True, text=True, timeout=timeout)
    if r.returncode != 0:
        raise RuntimeError('gpsbabel %s: %s' % (' '.join(args), r.stderr.strip()))


def download_checks(label, sim_args, fields_wpt):
    with Simulator(sim_binary, '--load', fixture, *sim_args) as sim:
        for flag, what in (('-w', 'waypoints'), ('-r', 'routes'), ('-t', 'tracks')):
            name = '%s: gpsbabel %s downloads the simulator\'s %s' % (label, flag, what)
            problems = []
            out = os.path.join(work, '%s-%s.gpx' % (label.replace('/', '-'), what))
            try:
                babel([flag, '-i', 'garmin', '-f', sim.path, '-o', 'gpx', '-F', out])
                got = read_gpx(out)
                if what == 'waypoints':
                    compare_points('waypoints', expected['waypoints'], got['waypoints'], fields_wpt, problems)
                elif what == 'routes':
                    if [n.strip() for n, _ in got['routes']] != [n for n, _ in expected['routes']]:
                        problems.append('route names %r' % [n for n, _ in got['routes']])
                    for (_, e), (_, g) in zip(expected['routes'], got['routes']):
                        compare_points('route', e, g, ('name',), problems)
                else:
                    if [n for n, _ in got['tracks']] != [n for n, _ in expected['tracks']]:
                        problems.append('track names %r' % [n for n, _ in got['tracks']])
                    for (n, e), (_, g) in zip(expected['tracks'], got['tracks']):
                        compare_points(n, e, g, ('ele', 'time'), problems)
            except Exception as e:  # noqa: BLE001 - every failure is a finding
                problems.append(str(e))
            results.append((name, problems))


download_checks('D108', [], ('name', 'sym', 'cmt', 'ele'))
download_checks('D109/D201', ['--protocols', 'P000,L001,A010,A100,D109,A201,D201,D109,D210,A301,D310,D301'],
                ('name', 'sym', 'cmt', 'ele'))

# Upload: GPSBabel sends the fixture, the simulator keeps it.
name = 'gpsbabel uploads waypoints, routes and tracks into the simulator'
problems = []
saved = os.path.join(work, 'uploaded.gpx')
try:
    sim = Simulator(sim_binary, save=saved)
    try:
        babel(['-w', '-r', '-t', '-i', 'gpx', '-f', fixture, '-o', 'garmin', '-F', sim.path])
    finally:
        log = sim.stop()
    got = read_gpx(saved)
    compare_points('waypoints', expected['waypoints'], got['waypoints'], ('name', 'sym', 'cmt', 'ele'), problems)
    if [n for n, _ in got['routes']] != [n for n, _ in expected['routes']]:
        problems.append('route names %r' % [n for n, _ in got['routes']])
    for (_, e), (_, g) in zip(expected['routes'], got['routes']):
        compare_points('route', e, g, ('name', 'sym', 'ele'), problems)
    if [n for n, _ in got['tracks']] != [n for n, _ in expected['tracks']]:
        problems.append('track names %r' % [n for n, _ in got['tracks']])
    for (n, e), (_, g) in zip(expected['tracks'], got['tracks']):
        compare_points(n, e, g, ('ele', 'time'), problems)
except Exception as e:  # noqa: BLE001
    problems.append(str(e))
results.append((name, problems))

sys.exit(report(results))
