# Shared by the benchmark scripts. measure() runs a command $RUNS times (default 3) under
# /usr/bin/time and prints the median wall and CPU time and the peak memory; the
# numbers also go to $work/last.txt for ratio(). This machine's timings
# wander from run to run, hence the median.
# Working folder, CLI, a private PATHKEEP_HOME and the large GPX file of
# $1 points (made once): sets points, work, cli and big.
bench_setup() {
  points=$1
  work=${BENCH_DIR:-/tmp/pathkeep-bench}
  mkdir -p "$work"
  cli=${CLI:-build/bin/pathkeep-cli}  # CLI=... measures another build
  export PATHKEEP_HOME=$work/home
  mkdir -p "$PATHKEEP_HOME"
  big=$work/big-$points.gpx
  [ -f "$big" ] || python3 bench/make_big_gpx.py "$big" "$points"
}

measure() {  # label, command...
  local label=$1; shift
  local walls=() cpus=() rss=0
  for _ in $(seq "${RUNS:-3}"); do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>&1 || { echo "$label failed"; exit 1; }
    read -r w u s r <"$work/time.txt"
    walls+=("$w"); cpus+=("$(echo "$u + $s" | bc -l)"); [ "$r" -gt "$rss" ] && rss=$r
  done
  local wall cpu
  wall=$(median "${walls[@]}")
  cpu=$(median "${cpus[@]}")
  # CPU time (user + system) as well: on a shared machine it wanders far less than the wall time.
  printf "%-38s %8.2f s %8.2f s cpu %9.1f MiB   (runs: %s)\n" "$label" "$wall" "$cpu" "$(echo "$rss/1024" | bc -l)" "${walls[*]}"
  echo "$wall $rss $cpu" >"$work/last.txt"
}

median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }

ratio() {  # file of ours, file of gpsbabel's
  read -r a ra ca <"$1"; read -r b rb cb <"$2"
  printf "%-38s time %.2f, cpu %.2f, memory %.2f of gpsbabel's\n" "  ratio" "$(echo "$a/$b" | bc -l)" \
    "$(echo "$ca/$cb" | bc -l)" "$(echo "$ra/$rb" | bc -l)"
}
