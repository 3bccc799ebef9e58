#!/usr/bin/env bash
# Lists the benchmark tree from the window (driven offscreen) and with qvl list, in
# turn, and prints both medians, their ratio, and the longest stall of the window's
# event loop meanwhile (target: at most 1.1x qvl list; no stall over 100 ms).
#
#   bench/window_bench.sh [BUILD_DIR] [TREE_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
tree=${2:-$here/out/tree}
runs=${3:-5}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
source "$here/timing.sh"
[ -d "$tree" ] || { echo "bench: no tree at $tree (make_tree builds one)" >&2; exit 2; }
cp "$build/bin/qvl" "$out/qvl"
find "$tree" -xdev >/dev/null  # warm the cache

# Each run of the window appends its longest stall to a file (runs are subshells).
window_list() {
  local result
  result=$("$build/bin/window_list_bench" "$tree" "$out/window.qvl")
  echo "${result#* }" >> "$out/stalls"
}
qvl_list() { rm -f "$out/qvl.qvl"; "$out/qvl" list t --map "t=$tree" -o "$out/qvl.qvl"; }

time_in_turn "$runs" "window (Create List)" window_list "qvl list" qvl_list
echo "window / qvl list: $(ratio "${MEDIAN[window (Create List)]}" "${MEDIAN[qvl list]}") (target at most 1.10)"
echo "longest event-loop stalls (ms): $(tr '\n' ' ' < "$out/stalls")(target none over 100, aim 30)"
cmp -s "$out/window.qvl" "$out/qvl.qvl" && echo "the window and qvl wrote the same catalogue" \
  || echo "note: the catalogues differ (they should not)"
