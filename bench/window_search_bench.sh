#!/usr/bin/env bash
# The window's Browse view and searches on a big catalogue (driven offscreen by
# window_browse_bench), beside qvl doing the same searches to /dev/null, in turn:
# quick find "readme" against qvl find, the search across the copies against qvl
# search, with the model's memory and the window's longest stalls.
# Targets: quick find at most 1.5x qvl find; the search at most 1.3x qvl search;
# no stall over 100 ms.
# qvl search to /dev/null keeps none of its hits; the window keeps every one. The
# fair form of the peer keeps them too: qvl search into a file in memory (tmpfs),
# timed beside it ("qvl search kept").
#
#   bench/window_search_bench.sh BUILD_DIR CATALOGUE COPIES_DIR [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$1 catalogue=$2 copies=$3 runs=${4:-3}
source "$here/timing.sh"
out=$(mktemp -d)
kept_dir=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$out" "$kept_dir"' EXIT
cp "$build/bin/qvl" "$out/qvl"
files=("$copies"/*.qvl)
cat "$catalogue" "${files[@]}" >/dev/null  # warm the cache

search_kept() { "$out/qvl" search readme "${files[@]}" > "$kept_dir/hits.txt"; rm -f "$kept_dir/hits.txt"; }
find_times=() search_times=()
for ((run = 0; run < runs; run++)); do
  "$build/bin/window_browse_bench" "$catalogue" "${files[@]}" 2>/dev/null > "$out/window.txt"
  cat "$out/window.txt"
  find_times+=("$(sed -n 's/.*quick find readme \([0-9.]*\) s.*/\1/p' "$out/window.txt")")
  search_times+=("$(sed -n 's/.*search readme over [0-9]* files \([0-9.]*\) s.*/\1/p' "$out/window.txt")")
  time_runs "qvl find (run $run)" 1 "$out/qvl" find "$catalogue" readme
  time_runs "qvl search (run $run)" 1 "$out/qvl" search readme "${files[@]}"
  time_runs "qvl search kept (run $run)" 1 search_kept
done
median() { printf '%s\n' "$@" | sort -n | sed -n "$(( ($# + 1) / 2 ))p"; }
qf=$(median "${find_times[@]}") ws=$(median "${search_times[@]}")
cf=$(median $(for ((run = 0; run < runs; run++)); do echo "${MEDIAN[qvl find (run $run)]}"; done))
cs=$(median $(for ((run = 0; run < runs; run++)); do echo "${MEDIAN[qvl search (run $run)]}"; done))
ck=$(median $(for ((run = 0; run < runs; run++)); do echo "${MEDIAN[qvl search kept (run $run)]}"; done))
echo "quick find in the window $qf s / qvl find $cf s: $(ratio "$qf" "$cf") (target at most 1.5)"
echo "search in the window $ws s / qvl search $cs s: $(ratio "$ws" "$cs") (target at most 1.3)"
echo "search in the window $ws s / qvl search kept in memory $ck s: $(ratio "$ws" "$ck")"
"$build/bin/fresh_memory"
