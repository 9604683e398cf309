#!/usr/bin/env bash
# OziExplorer track and CSV reading side by side with GPSBabel in one run,
# and the text export of a large GPX file: wall time and peak memory.
# Usage: bench/legacy_vs_gpsbabel.sh [points]   (build first: cmake --build build)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/measure.sh
bench_setup "${1:-1000000}"
[ -f "$work/big-$points.plt" ] || $cli convert "$big" "$work/big-$points.plt" 2>/dev/null
csv=$work/big-$points.csv
[ -f "$csv" ] || python3 bench/make_big_csv.py "$csv" "$points"

echo "$points points"
measure "pathkeep  PLT -> GPX" $cli convert "$work/big-$points.plt" "$work/from-plt.gpx"; cp "$work/last.txt" "$work/a"
measure "gpsbabel  PLT -> GPX (-i ozi)" gpsbabel -i ozi -f "$work/big-$points.plt" -o gpx -F "$work/from-plt-gb.gpx"; cp "$work/last.txt" "$work/b"
ratio "$work/a" "$work/b"
measure "pathkeep  CSV -> GPX (fixed columns)" $cli convert "$csv" "$work/from-csv.gpx" --csv-separator comma \
  --csv-columns lat,lon,alt --csv-header yes; cp "$work/last.txt" "$work/a"
measure "gpsbabel  CSV -> GPX (-i unicsv)" gpsbabel -i unicsv -f "$csv" -o gpx -F "$work/from-csv-gb.gpx"; cp "$work/last.txt" "$work/b"
ratio "$work/a" "$work/b"
measure "pathkeep  GPX -> TXT (all fields)" $cli convert "$big" "$work/out.txt" --points tracks
