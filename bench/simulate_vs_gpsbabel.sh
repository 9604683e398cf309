#!/usr/bin/env bash
# A million-point track played back as NMEA as fast as possible, side by side
# with GPSBabel writing the same track as NMEA, in one run. "open only" is
# Pathkeep reading the file (the info command), so the playback's own share
# is the difference.
# Usage: bench/simulate_vs_gpsbabel.sh [points]   (build first: cmake --build build)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/measure.sh
bench_setup "${1:-1000000}"

echo "$points track points, $(du -h "$big" | cut -f1) GPX"
measure "pathkeep  open only (info)" $cli info "$big"
measure "pathkeep  simulate --interval 0" $cli simulate "$big" --time original --interval 0 --stdout
cp "$work/last.txt" "$work/a"
measure "gpsbabel  GPX -> NMEA" gpsbabel -i gpx -f "$big" -o nmea -F "$work/out-gb.nmea"
cp "$work/last.txt" "$work/b"
ratio "$work/a" "$work/b"
# What came out: every point but the last, one RMC sentence each.
$cli simulate "$big" --time original --interval 0 --stdout 2>/dev/null | wc -l | sed 's/^/pathkeep sentences: /'
