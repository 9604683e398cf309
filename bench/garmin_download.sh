#!/usr/bin/env bash
# Downloads a track of $1 points (default 10,000) from tools/garmin-sim over
# a pseudo-terminal paced at 115,200 bit/s both ways with pathkeep-cli, and compares
# the transfer's time with the time its bytes need on the line (10 bits a
# byte, both directions, since each record waits for its ACK).
set -euo pipefail
cd "$(dirname "$0")/.."
. bench/measure.sh
points=${1:-10000}
baud=115200
work=${BENCH_DIR:-/tmp/pathkeep-bench}
mkdir -p "$work"
export PATHKEEP_HOME=$work/home
mkdir -p "$PATHKEEP_HOME"
track=$work/track-$points.gpx
[ -f "$track" ] || python3 bench/make_big_gpx.py "$track" "$points"
cmake --build build --target pathkeep-cli garmin-sim >/dev/null

build/bin/garmin-sim --load "$track" --baud $baud --verbose >"$work/sim.pty" 2>"$work/sim.log" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$work/sim.pty" ] && break; sleep 0.1; done
pty=$(head -n1 "$work/sim.pty")

start=$(date +%s.%N)
build/bin/pathkeep-cli garmin --serial "$pty" --speed $baud download tracks "$work/out.gpx" >"$work/cli.out" 2>/dev/null
end=$(date +%s.%N)
cat "$work/cli.out"

line=$(grep 'transfer of' "$work/sim.log" | tail -n1)
echo "simulator: ${line#garmin-sim: }"
read -r took out in < <(echo "$line" | sed -E 's/.* done in ([0-9.]+) s; bytes out ([0-9]+), in ([0-9]+).*/\1 \2 \3/')
need=$(echo "($out + $in) * 10 / $baud" | bc -l)
printf "line time of the transfer's bytes: %.2f s\n" "$need"
printf "transfer (command to last ACK):    %.2f s  (%.2fx the line time)\n" "$took" "$(echo "$took / $need" | bc -l)"
printf "whole command (identification and the quiet waits included): %.2f s\n" "$(echo "$end - $start" | bc -l)"
