#!/usr/bin/env bash
# What the companion costs a listing, how small it is, and how fast --hash reads:
#  - qvl list of the benchmark tree with its companion against the same listing
#    without one (the hidden --without-companion, for this comparison only), in
#    turn, warm cache: wall and processor time;
#  - the companion's bytes per entry of that catalogue;
#  - what readers pay for it: the load of that catalogue with its companion (the
#    fingerprint taken as the load reads, the companion decoded) against the same
#    bytes without one, and qvl search --dates against qvl search;
#  - qvl list --hash of a tree of real files against xxhsum -H2 (XXH3-128) over
#    the same files, warm cache: bytes per second.
# Trees are built once by make_tree (the hashing one with --data: about 1.3 GB).
#
#   bench/companion_bench.sh [BUILD_DIR] [TREE_DIR] [HASH_TREE_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
tree=${2:-$here/out/tree}
hashTree=${3:-$here/out/hashtree}
runs=${4:-11}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

command -v xxhsum >/dev/null || { echo "bench: xxhsum is missing (apt-get install xxhash)" >&2; exit 2; }
if [ ! -d "$tree" ]; then
  echo "Building the benchmark tree in $tree (a few minutes)..."
  "$build/bin/make_tree" "$tree"
fi
if [ ! -d "$hashTree" ]; then
  echo "Building the hashing tree in $hashTree..."
  "$build/bin/make_tree" "$hashTree" --files 4000 --folders 200 --max-size 1000000 --data 1
fi
cp "$build/bin/qvl" "$out/qvl"
qvl=$out/qvl

# Wall and processor (user + system) milliseconds of one run, as "WALL CPU".
run_wall_cpu() {
  /usr/bin/time -f '%e %U %S' -o "$out/time" "$@" >/dev/null 2>&1 || { echo "bench: failed: $*" >&2; return 1; }
  awk '{ printf "%d %d\n", $1 * 1000, ($2 + $3) * 1000 }' "$out/time"
}
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
least() { printf '%s\n' "$@" | sort -n | head -1; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

# One listing into a fresh output, timed.
list() {
  rm -f "$out/$1" "$out/$1.qvc"
  run_wall_cpu "$qvl" list c --map "c=$2" -o "$out/$1" "${@:3}"
}

echo "Tree: $tree; $runs runs each, in turn, warm cache"
find "$tree" -xdev -printf '%s %p\n' >/dev/null
list warm.qvl "$tree" >/dev/null
withWall=() withCpu=() withoutWall=() withoutCpu=()
for ((i = 0; i < runs; i++)); do
  read -r wall cpu < <(list with.qvl "$tree")
  withWall+=("$wall"); withCpu+=("$cpu")
  read -r wall cpu < <(list without.qvl "$tree" --without-companion)
  withoutWall+=("$wall"); withoutCpu+=("$cpu")
done
cmp -s "$out/with.qvl" "$out/without.qvl" || { echo "bench: the catalogues differ" >&2; exit 1; }
mw=$(median "${withWall[@]}") mc=$(median "${withCpu[@]}")
ow=$(median "${withoutWall[@]}") oc=$(median "${withoutCpu[@]}")
echo "qvl list with companion:    wall median ${mw} ms, processor median ${mc} ms   (wall runs: ${withWall[*]})"
echo "qvl list without companion: wall median ${ow} ms, processor median ${oc} ms   (wall runs: ${withoutWall[*]})"
echo "with / without: wall $(ratio "$mw" "$ow"), processor $(ratio "$mc" "$oc") (target at most 1.05)"
# On a machine others share, the fastest runs are the ones least disturbed.
echo "fastest runs: wall $(least "${withWall[@]}") / $(least "${withoutWall[@]}") ms = $(ratio "$(least "${withWall[@]}")" "$(least "${withoutWall[@]}")"), processor $(least "${withCpu[@]}") / $(least "${withoutCpu[@]}") ms = $(ratio "$(least "${withCpu[@]}")" "$(least "${withoutCpu[@]}")")"

folders=$("$qvl" info "$out/with.qvl" | awk '/^Folders:/ { print $2 }')
files=$("$qvl" info "$out/with.qvl" | awk '/^Files:  / { print $2 }')
entries=$((folders - 1 + files))
bytes=$(stat -c %s "$out/with.qvl.qvc")
echo "companion: $bytes bytes for $entries entries: $(ratio "$bytes" "$entries") bytes per entry (target at most 6)"

echo
cp "$out/without.qvl" "$out/bare.qvl"
load=$build/bin/load_catalogue
withLoad=() bareLoad=()
for ((i = 0; i < runs; i++)); do
  withLoad+=("$("$load" "$out/with.qvl" 5 | cut -d' ' -f1)")
  bareLoad+=("$("$load" "$out/bare.qvl" 5 | cut -d' ' -f1)")
done
lw=$(median "${withLoad[@]}") lb=$(median "${bareLoad[@]}")
echo "load with companion: ${lw} ms, without: ${lb} ms (fastest of 5 in a process, median of $runs): $(ratio "$lw" "$lb")"
searchDated=() searchPlain=()
for ((i = 0; i < runs; i++)); do
  read -r wall cpu < <(run_wall_cpu "$qvl" search report "$out/with.qvl" --dates)
  searchDated+=("$wall")
  read -r wall cpu < <(run_wall_cpu "$qvl" search report "$out/with.qvl")
  searchPlain+=("$wall")
done
sd=$(median "${searchDated[@]}") sp=$(median "${searchPlain[@]}")
echo "qvl search --dates: ${sd} ms, qvl search: ${sp} ms: $(ratio "$sd" "$sp")"

echo
total=$(find "$hashTree" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
count=$(find "$hashTree" -type f | wc -l)
echo "Hashing tree: $hashTree ($count files, $total bytes); $runs runs each, in turn, warm cache"
find "$hashTree" -type f -print0 | xargs -0 cat >/dev/null
xxh="find '$hashTree' -type f -print0 | xargs -0 xxhsum -H2 > '$out/xxhsum.txt'"
hashWall=() xxhWall=()
for ((i = 0; i < runs; i++)); do
  read -r wall cpu < <(list hashed.qvl "$hashTree" --hash)
  hashWall+=("$wall")
  read -r wall cpu < <(run_wall_cpu sh -c "$xxh")
  xxhWall+=("$wall")
done
hw=$(median "${hashWall[@]}") xw=$(median "${xxhWall[@]}")
echo "qvl list --hash: median ${hw} ms, $(awk -v b="$total" -v ms="$hw" 'BEGIN { printf "%.0f", b / ms / 1000 }') MB/s   (runs: ${hashWall[*]})"
echo "xxhsum -H2:      median ${xw} ms, $(awk -v b="$total" -v ms="$xw" 'BEGIN { printf "%.0f", b / ms / 1000 }') MB/s   (runs: ${xxhWall[*]})"
echo "qvl throughput / xxhsum throughput: $(ratio "$xw" "$hw") (target at least 0.80)"
