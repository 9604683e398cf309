#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs them within one time budget in all
# (FUZZ_SECONDS, default 120), shared evenly, seeded with the test data.
# Skipped with a note when clang is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
budget=${FUZZ_SECONDS:-120}
if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzz targets skipped"
  exit 0
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPATHKEEP_FUZZ=ON -DPATHKEEP_GUI=OFF -DPATHKEEP_TESTS=OFF -DPATHKEEP_BENCH=OFF >/dev/null
targets="gpx kml fragment roundtrip sax_threads plt wpt own easygps csv rte ini nmea_sentence nmea_receive nmea_log nmea_log_tool rmc_builder garmin rows ocr"
count=$(echo $targets | wc -w)
failed=""
each=$(( budget / count > 1 ? budget / count : 1 ))
cmake --build build-fuzz --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)
for target in $targets; do
  corpus=$(mktemp -d)
  case $target in
    gpx|fragment) cp tests/data/gpx/* data/demo.gpx "$corpus"/ ;;
    sax_threads) # the first byte chooses where the handler stops
      for f in tests/data/gpx/* data/demo.gpx; do { printf '\x07'; cat "$f"; } >"$corpus/$(basename "$f")"; done ;;
    roundtrip) printf 'Caf\xc3\xa9 <&>\0a\xef\xbf\xbe\r\nb\0d\xed\xa0\x80\0052.5\0-4.25\0012\00039448.5\0001e30\0400\0x\0-1e7' >"$corpus/fields" ;;
    kml) cp tests/data/kml/* "$corpus"/ ;;
    plt) cp tests/data/plt/* "$corpus"/ ;;
    wpt) cp tests/data/wpt/* "$corpus"/ ;;
    csv) cp tests/data/csv/* "$corpus"/ ;;
    rte) cp tests/data/rte/* "$corpus"/ ;;
    ini) cp data/Pathkeep.ini "$corpus"/
         printf '[General]\r\ncurrentversion=4.04\r\nreleasedate=30 Nov 2026\r\n' >"$corpus/version.dat" ;;
    nmea_receive) cp tests/data/nmea/* "$corpus"/ ;;
    nmea_log|nmea_log_tool) # the first byte chooses the options
      for f in tests/data/nmea/*; do { printf '\x0f'; cat "$f"; } >"$corpus/$(basename "$f")"; done ;;
    nmea_sentence) grep -ah '^\$' tests/data/nmea/* | tr -d '\r' | split -a 4 -l 1 - "$corpus"/s ;;
    rmc_builder) printf '%s\0%s\0%s\0%s\0%s' 5.15 52.15 08-03-2008 12:34:56 0.0 >"$corpus/start"
                 printf '%s\0%s\0%s\0%s\0%s' -123.25 -0,5 '' '' 19,4384 >"$corpus/southwest" ;;
    own) printf 'Pathkeep File\r\n<1>,<x>,<Home>,<52.1>,<5.1>,<3>,<39448.5>,<>,<>,<W>,<18>\r\n<2>,<x>,<>,<52.2>,<5.2>,<>,<>,<>,<>,<T>,<>\r\n' >"$corpus/own.txt" ;;
    garmin) # an ACK, a product data answer and an empty track transfer, as frames
      printf '\x10\x06\x02\xfe\x00\xfa\x10\x03\x10\xff\x04\x9c\x01\x2c\x01\x33\x10\x03' >"$corpus/product"
      printf '\x10\x1b\x02\x01\x00\xe2\x10\x03\x10\x0c\x02\x06\x00\xec\x10\x03\xff' >"$corpus/transfer"
      # a D108 waypoint with an altitude of -1e25, once cast out of range
      { printf '\x00\x10\x23\x38'; head -c 32 /dev/zero; printf '\x51\x59\x04\xe9'; head -c 12 /dev/zero
        printf 'WPT'; head -c 5 /dev/zero; printf '\x13\x10\x03'; } >"$corpus/low_altitude" ;;
    rows) printf '<1>,<51,5>,<4,2>,<>,<39569,5>,<01-05-2008>,<12:00:00>,<a>b>,<>,<>,<>\r\n<2>,<52>\r\n' >"$corpus/rows.txt" ;;
    ocr) { printf '\001'; cat data/ocr2004.ini; printf '\000\024\030'; head -c 1440 /dev/zero; } >"$corpus/table" ;;
    easygps) printf 'Datum,WGS84,WGS84,0,0,0,0,0\r\nTP,D,52.1,5.1,x\r\nWP,D,1,2\r\n' >"$corpus/easy.txt" ;;
  esac
  echo "fuzz_$target: ${each} s"
  # A fixed seed, so a finding can be repeated. A target that stops on a
  # finding shows its whole report; the others their last lines.
  out=$(mktemp)
  if build-fuzz/bin/fuzz_$target -seed=1 -max_total_time="$each" -max_len=65536 -rss_limit_mb=2048 "$corpus" >"$out" 2>&1; then
    tail -n 2 "$out"
  else
    cat "$out"
    failed="$failed $target"
  fi
  rm -rf "$corpus" "$out"
done
if [ -n "$failed" ]; then
  echo "fuzz targets that failed:$failed"
  exit 1
fi
