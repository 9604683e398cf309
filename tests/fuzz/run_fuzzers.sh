#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a fixed number of inputs,
# seeded with the test data. Skipped with a note when clang is missing.
set -euo pipefail
cd "$(dirname "$0")/../.."
runs=${FUZZ_RUNS:-3000}
if ! command -v clang++ >/dev/null; then
  echo "clang++ not found: fuzz targets skipped"
  exit 0
fi
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DPATHKEEP_FUZZ=ON -DPATHKEEP_GUI=OFF -DPATHKEEP_TESTS=OFF -DPATHKEEP_BENCH=OFF >/dev/null
cmake --build build-fuzz --target fuzz_gpx fuzz_kml fuzz_fragment
for target in gpx kml fragment; do
  corpus=$(mktemp -d)
  case $target in
    gpx|fragment) cp tests/data/gpx/* data/demo.gpx "$corpus"/ ;;
    kml) cp tests/data/kml/* "$corpus"/ ;;
  esac
  echo "fuzz_$target: $runs runs"
  build-fuzz/bin/fuzz_$target -runs="$runs" -max_len=65536 -rss_limit_mb=2048 "$corpus" 2>&1 | tail -n 2
  rm -rf "$corpus"
done
