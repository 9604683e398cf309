#!/usr/bin/env python3
"""pathkeep-cli garmin against tools/garmin-sim (checked against GPSBabel
by garmin_sim_gpsbabel.py): downloads and uploads keep the points, also
from a unit that chatters unasked (PVT mode, stray ACKs and NAKs, noise);
exit codes tell success, failure and wrong usage apart; a unit that sends
more records than it announced fails the word at once; Ctrl+C reaches the
unit as the abort command."""

import os
import pty
import select
import signal
import subprocess
import sys
import tempfile
import time

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
    # The unit streams positions, stray ACKs and NAKs and spoiled frames
    # every 100 ms: none of it may hold the command words back.
    with Simulator(sim_binary, '--load', fixture, '--unasked-ms', '100') as sim:
        start = time.monotonic()
        r = garmin(['--serial', sim.path, 'download', 'tracks,waypoints,routes', out], timeout=60)
        print('download from a chattering unit: %.1f s' % (time.monotonic() - start))
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


def oversent(problems):
    out = os.path.join(work, 'oversent.gpx')
    with Simulator(sim_binary, '--load', fixture, '--extra-records', '1') as sim:
        r = garmin(['--serial', sim.path, 'download', 'waypoints', out], timeout=60)
    if r.returncode != 1:
        problems.append('exit %d, expected 1' % r.returncode)
    # Three waypoints sent, two announced: the third is one too many.
    if 'get waypoints: FAILED: 3 records arrived, 2 announced.' not in r.stdout.splitlines():
        problems.append('no failure naming the word and its counts: %r' % r.stdout)
    if os.path.exists(out):
        problems.append('a file was written')


def cancelled_upload(problems):
    sim = Simulator(sim_binary, '--tcp', '0', '--delay-ms', '400', '--verbose')
    try:
        cli_run = subprocess.Popen([cli, 'garmin', '--tcp', '127.0.0.1:' + sim.path, 'upload', fixture, 'waypoints'],
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        seen = ''
        deadline = time.monotonic() + 30
        while 'put waypoints' not in seen and time.monotonic() < deadline:
            line = cli_run.stderr.readline()
            if not line:
                break
            seen += line
        cli_run.send_signal(signal.SIGINT)
        stdout, stderr = cli_run.communicate(timeout=20)
        if 'put waypoints' not in seen:
            problems.append('the upload never started: %r' % (seen + stderr))
        if cli_run.returncode != 1 or 'Transfer cancelled.' not in stderr:
            problems.append('exit %d, stderr %r' % (cli_run.returncode, stderr))
        heard = ''
        deadline = time.monotonic() + 10
        while 'transfer aborted' not in heard and time.monotonic() < deadline:
            if select.select([sim.proc.stderr], [], [], 0.5)[0]:
                heard += sim.proc.stderr.readline()
    finally:
        heard_rest = sim.stop()
    if 'transfer aborted' not in heard:
        problems.append('the unit was not told: %r' % (heard + heard_rest))
    if 'upload kept' in heard + heard_rest:
        problems.append('the unit kept the cancelled upload')


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
check('pathkeep-cli garmin against a unit that sends more records than announced', oversent)
check('pathkeep-cli garmin cancelled mid-upload tells the unit', cancelled_upload)
check('pathkeep-cli garmin with a device that does not exist fails', no_channel)
check('pathkeep-cli garmin usage errors', usage)
sys.exit(report(results))
