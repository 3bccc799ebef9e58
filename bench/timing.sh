# Shared timing helpers for the benchmark scripts (sourced, not run).
#   time_runs NAME RUNS COMMAND...   runs COMMAND RUNS times, records the median seconds
#   time_in_turn RUNS NAME_A FUNCTION_A NAME_B FUNCTION_B
#                                    runs the two in turn RUNS times, so that a busy
#                                    spell of the machine falls on both alike
#   ratio A B                        prints A/B with two decimals
declare -A MEDIAN

now_ns() { date +%s%N; }

# Milliseconds one run of the command takes; its output is dropped.
run_ms() {
  local start end
  start=$(now_ns)
  "$@" >/dev/null 2>&1 || { echo "bench: failed: $*" >&2; return 1; }
  end=$(now_ns)
  echo "$(( (end - start) / 1000000 ))"
}

# Records the median of the times given and prints them.
record_median() {
  local name=$1; shift
  local sorted=($(printf '%s\n' "$@" | sort -n))
  local median=${sorted[$(( $# / 2 ))]}
  MEDIAN[$name]=$(awk -v ms="$median" 'BEGIN { printf "%.3f", ms / 1000 }')
  printf '%-28s median %7.3f s   runs: %s ms\n' "$name" "${MEDIAN[$name]}" "$*"
}

time_runs() {
  local name=$1 runs=$2; shift 2
  local times=()
  for ((i = 0; i < runs; i++)); do times+=("$(run_ms "$@")") || return 1; done
  record_median "$name" "${times[@]}"
}

time_in_turn() {
  local runs=$1 nameA=$2 functionA=$3 nameB=$4 functionB=$5
  local timesA=() timesB=()
  for ((i = 0; i < runs; i++)); do
    timesA+=("$(run_ms "$functionA")") || return 1
    timesB+=("$(run_ms "$functionB")") || return 1
  done
  record_median "$nameA" "${timesA[@]}"
  record_median "$nameB" "${timesB[@]}"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
