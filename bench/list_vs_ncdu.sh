#!/usr/bin/env bash
# `qvl list` (a catalogue with its companion, as the command writes it by default)
# against `ncdu -x -o` on the same tree, in one run, the two taking turns round by
# round, so that a machine that speeds up or slows down weighs on both alike:
#   1. warm cache: wall and processor time (user + sys), from /usr/bin/time;
#   2. cold cache: wall, the page cache dropped before each run of each tool (root only);
#   3. the write and futex calls of one `qvl list`, from strace -f -c.
# Each ratio is the median of the rounds' own ratios; the medians of the times are
# printed beside them. qvl lists with --no-index: ncdu builds no search index, and
# the index's own cost is weighed by bench/index_bench.sh.
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

for tool in ncdu strace python3; do
  command -v $tool >/dev/null || { echo "bench: $tool is missing (apt-get install $tool)" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time is missing (apt-get install time)" >&2; exit 2; }
if [ ! -d "$tree" ]; then
  echo "Building the benchmark tree in $tree (a few minutes)..."
  "$build/bin/make_tree" "$tree"
fi
# A copy of qvl in the scratch folder: its settings and history are the benchmark's own.
cp "$build/bin/qvl" "$out/qvl"
qvl_cmd="rm -f '$out/cat.qvl' '$out/cat.qvl.qvc'; '$out/qvl' list c --map 'c=$tree' -o '$out/cat.qvl' --method qvl --no-index"
ncdu_cmd="ncdu -x -o '$out/ncdu.json' '$tree'"
echo "Tree: $tree ($(find "$tree" -xdev | wc -l) entries)"

# Runs each tool once per round, in turn, after `prepare`; each run adds a line
# "wall cpu" to $out/<tool>.<kind>.
rounds() {
  local kind=$1 count=$2 prepare=$3 cmd
  : >"$out/qvl.$kind"
  : >"$out/ncdu.$kind"
  for _ in $(seq "$count"); do
    for tool in qvl ncdu; do
      [ -z "$prepare" ] || sh -c "$prepare"
      if [ "$tool" = qvl ]; then cmd=$qvl_cmd; else cmd=$ncdu_cmd; fi
      /usr/bin/time -f "%e %U %S" -o "$out/time" sh -c "$cmd" >/dev/null 2>&1
      awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$out/time" >>"$out/$tool.$kind"
    done
  done
}
# The median of column $3 (0 wall, 1 cpu) of $out/<tool>.<kind>, or with "ratio"
# as the tool, of the rounds' own ratios qvl / ncdu; with "spread", the range of
# the middle half of those ratios, to show how far one run's median can be trusted.
median() {
  python3 - "$out" "$1" "$2" "$3" <<'EOF'
import statistics, sys
out, tool, kind, column = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
def read(name):
    return [float(line.split()[column]) for line in open(f"{out}/{name}.{kind}")]
ratios = sorted(q / n for q, n in zip(read('qvl'), read('ncdu'))) if tool in ("ratio", "spread") else []
if tool == "ratio":
    print(f"{statistics.median(ratios):.2f}")
elif tool == "spread":
    quarter = len(ratios) // 4
    print(f"{ratios[quarter]:.2f} to {ratios[len(ratios) - 1 - quarter]:.2f}")
else:
    print(f"{statistics.median(read(tool)):.3f}")
EOF
}

echo
echo "== Warm cache, $warm rounds, the two in turn (after one round not counted) =="
rounds warmup 1 ""
rounds warm "$warm" ""
for tool in qvl ncdu; do
  printf '%-5s wall %6.3f s   cpu user+sys %6.3f s   (medians)\n' "$tool" \
    "$(median $tool warm 0)" "$(median $tool warm 1)"
done
echo "qvl / ncdu warm: wall $(median ratio warm 0) (at most 0.60)   cpu $(median ratio warm 1) (at most 1.00)"
echo "  middle half of the rounds: wall $(median spread warm 0)   cpu $(median spread warm 1)"

echo
echo "== Cold cache, $cold rounds, the two in turn =="
if [ "$cold" -eq 0 ]; then
  echo "skipped: no cold runs asked for"
elif [ "$(id -u)" -ne 0 ] || ! [ -w /proc/sys/vm/drop_caches ]; then
  echo "skipped: dropping the page cache needs root"
else
  rounds cold "$cold" "sync; echo 3 > /proc/sys/vm/drop_caches"
  for tool in qvl ncdu; do printf '%-5s wall %6.3f s (median)\n' "$tool" "$(median $tool cold 0)"; done
  echo "qvl / ncdu cold: wall $(median ratio cold 0) (at most 0.60), middle half of the rounds $(median spread cold 0)"
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
