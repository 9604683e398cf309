#!/usr/bin/env bash
# Reading a large NMEA log side by side with GPSBabel, in one run, and
# creating a large log from a track: wall time and peak memory from
# /usr/bin/time -v (median of $RUNS, default 3; GPSBabel takes minutes, so
# RUNS=1 is the practical choice on a slow machine).
# Usage: bench/nmea_vs_gpsbabel.sh [points]   (build first: cmake --build build)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/measure.sh
points=${1:-1000000}
work=${BENCH_DIR:-/tmp/pathkeep-bench}
mkdir -p "$work"
cli=build/bin/pathkeep-cli
export PATHKEEP_HOME=$work/home
mkdir -p "$PATHKEEP_HOME"
log=$work/big-$points.log
# Six sentences a fix (GGA, GSA, 2 x GSV, RMC, VTG), one fix a second.
[ -f "$log" ] || build/bin/bench_make_big_nmea "$log" "$points"

echo "$points fixes, $(du -h "$log" | cut -f1) NMEA log"
# "info" opens the log into a document as the open command does (reading,
# the bounds, the summary) and writes nothing.
measure "pathkeep  NMEA -> document" $cli info "$log"; cp "$work/last.txt" "$work/a"
measure "gpsbabel  NMEA -> GPX (/dev/null)" gpsbabel -i nmea -f "$log" -o gpx -F /dev/null; cp "$work/last.txt" "$work/b"
ratio "$work/a" "$work/b"
measure "pathkeep  NMEA -> GPX" $cli convert "$log" "$work/from-nmea.gpx"

# Creation: 1,000,000 sentences along a 10,000 km track at 10 m/s.
build/bin/bench_nmea_create "$work/created.log"
