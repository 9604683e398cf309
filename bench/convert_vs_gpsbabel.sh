#!/usr/bin/env bash
# Pathkeep's conversions side by side with GPSBabel's on one large file, in
# one run: wall time and peak memory from /usr/bin/time -v.
# Usage: bench/convert_vs_gpsbabel.sh [points]   (build first: cmake --build build)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/measure.sh
bench_setup "${1:-1000000}"
# The KML both programs read: the one Pathkeep writes (tracks as MultiGeometry paths).
[ -f "$work/big.kml" ] || $cli convert "$big" "$work/big.kml" 2>/dev/null

echo "$points track points, $(du -h "$big" | cut -f1) GPX"
measure "pathkeep  GPX -> GPX" $cli convert "$big" "$work/out.gpx"; cp "$work/last.txt" "$work/a"
measure "gpsbabel  GPX -> GPX" gpsbabel -i gpx -f "$big" -o gpx -F "$work/out-gb.gpx"; cp "$work/last.txt" "$work/b"
ratio "$work/a" "$work/b"
measure "pathkeep  GPX -> KML" $cli convert "$big" "$work/out.kml"; cp "$work/last.txt" "$work/a"
measure "gpsbabel  GPX -> KML (points=0)" gpsbabel -i gpx -f "$big" -o kml,points=0 -F "$work/out-gb.kml"; cp "$work/last.txt" "$work/b"
ratio "$work/a" "$work/b"
measure "pathkeep  KML -> GPX" $cli convert "$work/big.kml" "$work/from-kml.gpx"; cp "$work/last.txt" "$work/a"
measure "gpsbabel  KML -> GPX" gpsbabel -i kml -f "$work/big.kml" -o gpx -F "$work/from-kml-gb.gpx"; cp "$work/last.txt" "$work/b"
ratio "$work/a" "$work/b"
