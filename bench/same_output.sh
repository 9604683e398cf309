#!/usr/bin/env bash
# Checks that two builds of pathkeep-cli convert the benchmark inputs to
# byte-identical files: run it with the build before a speed change and the
# one after. The inputs are those of convert_vs_gpsbabel.sh and
# legacy_vs_gpsbabel.sh (made here when missing).
# Usage: bench/same_output.sh OLD_CLI NEW_CLI [points]
set -euo pipefail
cd "$(dirname "$0")/.."
old=$1 new=$2
source bench/measure.sh
bench_setup "${3:-1000000}"
plt=$work/big-$points.plt csv=$work/big-$points.csv kml=$work/big-$points.kml
[ -f "$plt" ] || "$old" convert "$big" "$plt" 2>/dev/null
[ -f "$kml" ] || "$old" convert "$big" "$kml" 2>/dev/null
[ -f "$csv" ] || python3 bench/make_big_csv.py "$csv" "$points"

status=0
check() {  # name, input, output extension, options...
  local name=$1 in=$2 ext=$3; shift 3
  "$old" convert "$in" "$work/same-old.$ext" "$@" >/dev/null 2>&1
  "$new" convert "$in" "$work/same-new.$ext" "$@" >/dev/null 2>&1
  if cmp -s "$work/same-old.$ext" "$work/same-new.$ext"; then
    echo "same       $name ($(stat -c %s "$work/same-new.$ext") bytes)"
  else
    echo "DIFFERENT  $name: $(cmp "$work/same-old.$ext" "$work/same-new.$ext" 2>&1 | head -1)"
    status=1
  fi
}
check "GPX -> GPX" "$big" gpx
check "GPX -> KML" "$big" kml
check "KML -> GPX" "$kml" gpx
check "PLT -> GPX" "$plt" gpx
check "CSV -> GPX" "$csv" gpx --csv-separator comma --csv-columns lat,lon,alt --csv-header yes
check "GPX -> TXT" "$big" txt --points tracks
check "GPX -> PLT" "$big" plt
check "GPX -> WPT" "$big" wpt
exit $status
