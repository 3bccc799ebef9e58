#!/usr/bin/env bash
# Times `qvl list` against find and ncdu on the same tree, and the plain list
# "Folders and filenames" against tree -a -s -f (both writing a file), warm cache,
# and prints the ratios. The tree is built once by make_tree (about a million files).
#
#   bench/list_bench.sh [BUILD_DIR] [TREE_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
tree=${2:-$here/out/tree}
runs=${3:-5}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
source "$here/timing.sh"

for tool in find ncdu tree; do
  command -v $tool >/dev/null || { echo "bench: $tool is missing (apt-get install $tool)" >&2; exit 2; }
done
if [ ! -d "$tree" ]; then
  echo "Building the benchmark tree in $tree (a few minutes)..."
  "$build/bin/make_tree" "$tree"
fi
echo "Tree: $tree ($(find "$tree" -xdev | wc -l) entries); $runs runs each, warm cache"
find "$tree" -xdev -printf '%s %p\n' >/dev/null  # warm the cache

# A copy of qvl in the scratch folder, so that its settings file (beside it) and
# history are the benchmark's own and not the build's.
cp "$build/bin/qvl" "$out/qvl"
qvl=$out/qvl
list() { rm -f "$out/$2"; "$qvl" list c --map "c=$tree" -o "$out/$2" "${@:3}" --method "$1"; }
time_runs "qvl list (catalogue)"  "$runs" list qvl cat.qvl
time_runs "find -printf"          "$runs" sh -c "find '$tree' -xdev -printf '%s %p\n' > '$out/find.txt'"
time_runs "ncdu -x -o"            "$runs" ncdu -x -o "$out/ncdu.json" "$tree"
time_runs "qvl list (filenames)"  "$runs" list filenames list.txt
time_runs "tree -a -s -f"         "$runs" sh -c "tree -a -s -f '$tree' > '$out/tree.txt'"
echo
echo "qvl list / find: $(ratio "${MEDIAN[qvl list (catalogue)]}" "${MEDIAN[find -printf]}")"
echo "qvl list / ncdu: $(ratio "${MEDIAN[qvl list (catalogue)]}" "${MEDIAN[ncdu -x -o]}")"
echo "qvl list --method filenames / tree: $(ratio "${MEDIAN[qvl list (filenames)]}" "${MEDIAN[tree -a -s -f]}")" \
  "(target at most 0.50, aim 0.30)"
