# Shared timing helpers for the benchmark scripts (sourced, not run).
#   time_runs NAME RUNS COMMAND...   runs COMMAND RUNS times, records the median seconds
#   ratio A B                        prints A/B with two decimals
declare -A MEDIAN

now_ns() { date +%s%N; }

time_runs() {
  local name=$1 runs=$2; shift 2
  local times=() start end
  for ((i = 0; i < runs; i++)); do
    start=$(now_ns)
    "$@" >/dev/null 2>&1 || { echo "bench: $name failed: $*" >&2; return 1; }
    end=$(now_ns)
    times+=("$(( (end - start) / 1000000 ))")
  done
  local sorted=($(printf '%s\n' "${times[@]}" | sort -n))
  local median=${sorted[$(( runs / 2 ))]}
  MEDIAN[$name]=$(awk -v ms="$median" 'BEGIN { printf "%.3f", ms / 1000 }')
  printf '%-28s median %7.3f s   runs: %s ms\n' "$name" "${MEDIAN[$name]}" "${times[*]}"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
