#!/usr/bin/env bash
# `qvl list` (a catalogue with its companion, as the command writes it by default)
# against `ncdu -x -o` on the same tree, in one run, the two taking turns:
#   1. warm cache: wall and processor time (user + sys), hyperfine's JSON;
#   2. cold cache: wall, the page cache dropped before each run of each tool (root only);
#   3. the write and futex calls of one `qvl list`, from strace -f -c.
# Ratios are of medians from this run. qvl lists with --no-index: ncdu builds no
# search index, and the index's own cost is weighed by bench/index_bench.sh.
#
#   bench/list_vs_ncdu.sh [BUILD_DIR] [TREE_DIR] [WARM_RUNS] [COLD_RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
tree=${2:-$here/out/tree}
warm=${3:-7}
cold=${4:-3}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for tool in ncdu hyperfine strace python3; do
  command -v $tool >/dev/null || { echo "bench: $tool is missing (apt-get install $tool)" >&2; exit 2; }
done
if [ ! -d "$tree" ]; then
  echo "Building the benchmark tree in $tree (a few minutes)..."
  "$build/bin/make_tree" "$tree"
fi
# A copy of qvl in the scratch folder: its settings and history are the benchmark's own.
cp "$build/bin/qvl" "$out/qvl"
qvl_cmd="rm -f '$out/cat.qvl' '$out/cat.qvl.qvc'; '$out/qvl' list c --map 'c=$tree' -o '$out/cat.qvl' --method qvl --no-index"
ncdu_cmd="ncdu -x -o '$out/ncdu.json' '$tree'"
echo "Tree: $tree ($(find "$tree" -xdev | wc -l) entries)"

# Median of a field of hyperfine's JSON, for the command with index $2.
field() {
  python3 - "$1" "$2" "$3" <<'EOF'
import json, statistics, sys
result = json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]
kind = sys.argv[3]
if kind == "wall":
    print(f"{statistics.median(result['times']):.3f}")
else:  # user + sys per run: hyperfine keeps means of both, and runs' own times
    print(f"{result['user'] + result['system']:.3f}")
EOF
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

echo
echo "== Warm cache, $warm runs each, in turn =="
hyperfine -N --style basic --warmup 1 --runs "$warm" --export-json "$out/warm.json" \
  --command-name "qvl list" "sh -c \"$qvl_cmd\"" \
  --command-name "ncdu -x -o" "sh -c \"$ncdu_cmd\"" >/dev/null
qw=$(field "$out/warm.json" 0 wall); nw=$(field "$out/warm.json" 1 wall)
qc=$(field "$out/warm.json" 0 cpu); nc=$(field "$out/warm.json" 1 cpu)
printf '%-12s wall %6.3f s (median)   cpu user+sys %6.3f s (mean)\n' "qvl list" "$qw" "$qc"
printf '%-12s wall %6.3f s (median)   cpu user+sys %6.3f s (mean)\n' "ncdu -x -o" "$nw" "$nc"
echo "qvl / ncdu warm: wall $(ratio "$qw" "$nw") (at most 0.60)   cpu $(ratio "$qc" "$nc") (at most 1.00)"

echo
echo "== Cold cache, $cold runs each, in turn =="
if [ "$cold" -eq 0 ]; then
  echo "skipped: no cold runs asked for"
elif [ "$(id -u)" -ne 0 ] || ! [ -w /proc/sys/vm/drop_caches ]; then
  echo "skipped: dropping the page cache needs root"
else
  drop="sync; echo 3 > /proc/sys/vm/drop_caches"
  hyperfine -N --style basic --runs "$cold" --prepare "sh -c '$drop'" --export-json "$out/cold.json" \
    --command-name "qvl list" "sh -c \"$qvl_cmd\"" \
    --command-name "ncdu -x -o" "sh -c \"$ncdu_cmd\"" >/dev/null
  qk=$(field "$out/cold.json" 0 wall); nk=$(field "$out/cold.json" 1 wall)
  printf '%-12s wall %6.3f s (median)\n' "qvl list" "$qk"
  printf '%-12s wall %6.3f s (median)\n' "ncdu -x -o" "$nk"
  echo "qvl / ncdu cold: wall $(ratio "$qk" "$nk") (at most 0.60)"
fi

echo
echo "== System calls of one qvl list (strace -f -c) =="
sh -c "rm -f '$out/cat.qvl' '$out/cat.qvl.qvc'"
strace -f -c -o "$out/strace.txt" "$out/qvl" list c --map "c=$tree" -o "$out/cat.qvl" --method qvl --no-index >/dev/null 2>&1
bytes=$(stat -c %s "$out/cat.qvl")
folders=$(find "$tree" -xdev -type d | wc -l)
writes=$(awk '$NF == "write" { print $4 }' "$out/strace.txt"); writes=${writes:-0}
futexes=$(awk '$NF == "futex" { print $4 }' "$out/strace.txt"); futexes=${futexes:-0}
echo "write: $writes calls for $bytes bytes of catalogue (at most $(( (bytes + 65535) / 65536 + 8 )): one per 64 KiB, and the companion's)"
echo "futex: $futexes calls for $folders folders (at most $(( folders / 50 )): one per 50 folders)"
