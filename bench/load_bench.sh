#!/usr/bin/env bash
# Times the load of a catalogue (the file read once, the folder index built)
# against cat and grep reading the same file, warm cache, and prints the rates
# and ratios.
#
#   bench/load_bench.sh [BUILD_DIR] [CATALOGUE] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
file=${2:-$here/out/million.qvl}
runs=${3:-11}
source "$here/timing.sh"

[ -f "$file" ] || { echo "bench: no catalogue $file (make one with: qvl list c --map c=bench/out/tree -o $file)" >&2; exit 2; }
bytes=$(stat -c %s "$file")
echo "Catalogue: $file ($bytes bytes, $("$build/bin/load_catalogue" "$file")); $runs runs each, warm cache"
cat "$file" >/dev/null  # warm the cache

time_runs "load_catalogue"     "$runs" "$build/bin/load_catalogue" "$file"
time_runs "cat FILE >/dev/null" "$runs" sh -c "cat '$file' >/dev/null"
time_runs "grep -c x FILE"     "$runs" grep -c x "$file"
time_runs "qvl info (+ counts)" "$runs" "$build/bin/qvl" info "$file"

rate() { awk -v b="$bytes" -v s="$1" 'BEGIN { printf "%.2f GB/s", b / s / 1e9 }'; }
echo
echo "load: $(rate "${MEDIAN[load_catalogue]}")   cat: $(rate "${MEDIAN[cat FILE >/dev/null]}")   grep: $(rate "${MEDIAN[grep -c x FILE]}")"
echo "load / cat:  $(ratio "${MEDIAN[load_catalogue]}" "${MEDIAN[cat FILE >/dev/null]}")"
echo "load / grep: $(ratio "${MEDIAN[load_catalogue]}" "${MEDIAN[grep -c x FILE]}")"
