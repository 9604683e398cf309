#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a fixed number of inputs,
# seeded with the test data. Skipped with a note when clang is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${FUZZ_RUNS:-2000}
if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzz targets skipped"
  exit 0
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPATHKEEP_FUZZ=ON -DPATHKEEP_GUI=OFF -DPATHKEEP_TESTS=OFF -DPATHKEEP_BENCH=OFF >/dev/null
targets="gpx kml fragment roundtrip plt wpt own easygps csv rte ini"
cmake --build build-fuzz --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)
for target in $targets; do
  corpus=$(mktemp -d)
  case $target in
    gpx|fragment) cp tests/data/gpx/* data/demo.gpx "$corpus"/ ;;
    roundtrip) printf 'Caf\xc3\xa9 <&>\0a\xef\xbf\xbe\r\nb\0d\xed\xa0\x80\0052.5\0-4.25\0012\00039448.5\0001e30\0400\0x\0-1e7' >"$corpus/fields" ;;
    kml) cp tests/data/kml/* "$corpus"/ ;;
    plt) cp tests/data/plt/* "$corpus"/ ;;
    wpt) cp tests/data/wpt/* "$corpus"/ ;;
    csv) cp tests/data/csv/* "$corpus"/ ;;
    rte) cp tests/data/rte/* "$corpus"/ ;;
    ini) cp data/Pathkeep.ini "$corpus"/
         printf '[General]\r\ncurrentversion=4.04\r\nreleasedate=30 Nov 2026\r\n' >"$corpus/version.dat" ;;
    own) printf 'Pathkeep File\r\n<1>,<x>,<Home>,<52.1>,<5.1>,<3>,<39448.5>,<>,<>,<W>,<18>\r\n<2>,<x>,<>,<52.2>,<5.2>,<>,<>,<>,<>,<T>,<>\r\n' >"$corpus/own.txt" ;;
    easygps) printf 'Datum,WGS84,WGS84,0,0,0,0,0\r\nTP,D,52.1,5.1,x\r\nWP,D,1,2\r\n' >"$corpus/easy.txt" ;;
  esac
  echo "fuzz_$target: $runs runs"
  # A fixed seed: the same inputs on every run, so a result can be repeated.
  build-fuzz/bin/fuzz_$target -seed=1 -runs="$runs" -max_len=65536 -rss_limit_mb=2048 "$corpus" 2>&1 | tail -n 2
  rm -rf "$corpus"
done
