# Shared by the benchmark scripts: runs a command $RUNS times (default 3) under
# /usr/bin/time and prints the median wall time and the peak memory; the
# numbers also go to $work/last.txt for ratio(). This machine's timings
# wander from run to run, hence the median.
measure() {  # label, command...
  local label=$1; shift
  local walls=() rss=0
  for _ in $(seq "${RUNS:-3}"); do
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$@" >/dev/null 2>&1 || { echo "$label failed"; exit 1; }
    read -r w r <"$work/time.txt"
    walls+=("$w"); [ "$r" -gt "$rss" ] && rss=$r
  done
  local wall
  wall=$(printf '%s\n' "${walls[@]}" | sort -n | sed -n "$(( (${#walls[@]} + 1) / 2 ))p")
  printf "%-38s %8.2f s %9.1f MiB   (runs: %s)\n" "$label" "$wall" "$(echo "$rss/1024" | bc -l)" "${walls[*]}"
  echo "$wall $rss" >"$work/last.txt"
}

ratio() {  # file of ours, file of gpsbabel's
  read -r a ra <"$1"; read -r b rb <"$2"
  printf "%-38s time %.2f, memory %.2f of gpsbabel's\n" "  ratio" "$(echo "$a/$b" | bc -l)" "$(echo "$ra/$rb" | bc -l)"
}
