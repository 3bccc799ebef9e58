#!/usr/bin/env bash
# The search index against the scan, plocate and grep, in one run: N generated
# catalogues of M entries (make_catalogues: different seeds, names from a word
# list, a folder tree, sizes), searched by qvl search over the history list for an
# absent text, a rare one, a common one and one of two letters, each with the index
# and with --no-index, warm and after dropping the page cache (root only); plocate
# -i -c on a database of the same names, and grep -c -F -a -i -o over the catalogues
# as the floor of a scan. Then the index's size against the catalogues', and the
# time to build it against the time to generate them and to list a tree of a
# million files (make_tree) with qvl list.
#
#   bench/index_bench.sh [BUILD_DIR] [DATA_DIR] [N] [M] [RUNS]
#
# DATA_DIR (default /work/benchdata/index) keeps the catalogues, the name list, the
# plocate database, the tree and the index cache between runs; it is never in git.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
data=${2:-/work/benchdata/index}
count=${3:-100}
entries=${4:-1000000}
runs=${5:-5}
coldRuns=3
source "$here/timing.sh"

for tool in plocate plocate-build grep; do
  command -v $tool >/dev/null || { echo "bench: $tool is missing (apt-get install plocate)" >&2; exit 2; }
done
words=/usr/share/dict/words
[ -f "$words" ] || { echo "bench: no word list $words (apt-get install wamerican)" >&2; exit 2; }
mkdir -p "$data/catalogues" "$data/bin"
catalogues=("$data"/catalogues/cat*.qvl)
last=$(printf '%s/catalogues/cat%03d.qvl' "$data" "$count")
if [ ! -f "$last" ]; then
  rm -f "$data"/catalogues/cat*.qvl "$data/names.txt" "$data/names.plocate"
  echo "Generating $count catalogues of $entries entries in $data/catalogues..."
  start=$(now_ns)
  "$build/bin/make_catalogues" "$data/catalogues" "$count" "$entries" "$words" "$data/names.txt"
  echo "$(( ($(now_ns) - start) / 1000000 ))" >"$data/generate_ms"
fi
catalogues=()
history=$'[History]\n'
for i in $(seq 1 "$count"); do
  file=$(printf '%s/catalogues/cat%03d.qvl' "$data" "$i")
  catalogues+=("$file")
  history+="Item$i=$file"$'\n'
done
cp "$build/bin/qvl" "$data/bin/qvl"
printf '%s' "$history" >"$data/bin/Quorvalen.ini"
qvl=$data/bin/qvl
export XDG_CACHE_HOME=$data/cache
generateMs=$(cat "$data/generate_ms" 2>/dev/null || echo 0)

# plocate over the same names, one a line.
if [ ! -f "$data/names.plocate" ]; then
  start=$(now_ns)
  plocate-build -p "$data/names.txt" "$data/names.plocate" 2>/dev/null ||
    plocate-build --plaintext "$data/names.txt" "$data/names.plocate"
  echo "plocate-build: $(( ($(now_ns) - start) / 1000000 )) ms"
fi

cat "${catalogues[@]}" >/dev/null
catalogueBytes=$(cat "${catalogues[@]}" | wc -c)
rm -rf "$XDG_CACHE_HOME/Quorvalen"
start=$(now_ns)
"$qvl" index
buildMs=$(( ($(now_ns) - start) / 1000000 ))
indexBytes=$(cat "$XDG_CACHE_HOME"/Quorvalen/*.qvi | wc -c)
"$qvl" index --status >/dev/null || { echo "bench: indexes not fresh after qvl index" >&2; exit 1; }

# The listing time of a tree (make_tree, 200,000 files), for the build's share of it.
tree=$data/tree
if [ ! -d "$tree" ]; then
  echo "Building a tree of 200,000 files in $tree..."
  "$build/bin/make_tree" "$tree" --files 200000 --folders 20000 >/dev/null
fi
treeEntries=$(find "$tree" -xdev | wc -l)
listOut=$(mktemp -d)
trap 'rm -rf "$listOut"' EXIT
cp "$build/bin/qvl" "$listOut/qvl"
list_tree() { rm -f "$listOut/tree.qvl"; "$listOut/qvl" list c --map "c=$tree" -o "$listOut/tree.qvl"; }
XDG_CACHE_HOME=$listOut/cache list_tree >/dev/null 2>&1
XDG_CACHE_HOME=$listOut/cache time_runs "qvl list (tree)" 3 list_tree
listMs=$(awk -v s="${MEDIAN[qvl list (tree)]}" 'BEGIN { printf "%d", s * 1000 }')
treeCatalogue=$listOut/tree.qvl
XDG_CACHE_HOME=$listOut/cache time_runs "qvl index (tree)" 3 "$listOut/qvl" index "$treeCatalogue"
treeIndexMs=$(awk -v s="${MEDIAN[qvl index (tree)]}" 'BEGIN { printf "%d", s * 1000 }')

# A rare text: two words of a name from the middle of the list, which few names share.
rare=$(awk 'NR > 4000000 && /^[A-Z][a-z]+ [A-Z][a-z]+\./ { sub(/\..*/, ""); print; exit }' "$data/names.txt")
absent=zqxjvkw
common=jpg
two=ab

found_or_not() {
  local status=0
  "$@" || status=$?
  [ "$status" -le 1 ]
}
drop_caches() { sync; echo 3 >/proc/sys/vm/drop_caches; }
cold_ms() {
  local times=()
  for ((i = 0; i < coldRuns; i++)); do
    drop_caches
    times+=("$(run_ms "$@")")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( coldRuns / 2 + 1 ))p"
}
warm_ms() {
  local times=()
  "$@" >/dev/null 2>&1 || true
  for ((i = 0; i < runs; i++)); do times+=("$(run_ms "$@")"); done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( runs / 2 + 1 ))p"
}
canDrop=no
[ -w /proc/sys/vm/drop_caches ] && canDrop=yes

echo
echo "Catalogues: $count x $entries entries, $catalogueBytes bytes; $(nproc) cores; median of $runs warm runs, $coldRuns cold (page cache dropped: $canDrop)"
printf '%-22s %9s %9s %9s %9s %9s %9s %9s %9s %10s\n' text hits "idx warm" "idx cold" "scan warm" "scan cold" "plocate w" "plocate c" "grep warm" "idx MB max"
for kind in absent rare common two; do
  text=${!kind}
  hits=$( { "$qvl" search "$text" 2>&1 >/dev/null || true; } | sed -n "s/^Found \([0-9]*\).*/\1/p")
  iw=$(warm_ms found_or_not "$qvl" search "$text")
  sw=$(warm_ms found_or_not "$qvl" search "$text" --no-index)
  pw=$(warm_ms found_or_not plocate -d "$data/names.plocate" -i -c "$text")
  gw=$(warm_ms found_or_not grep -c -F -a -i -o "$text" "${catalogues[@]}")
  ic=- sc=- pc=-
  if [ "$canDrop" = yes ]; then
    ic=$(cold_ms found_or_not "$qvl" search "$text")
    sc=$(cold_ms found_or_not "$qvl" search "$text" --no-index)
    pc=$(cold_ms found_or_not plocate -d "$data/names.plocate" -i -c "$text")
  fi
  /usr/bin/time -o "$listOut/memory" -f '%M' "$qvl" search "$text" >/dev/null 2>&1 || true
  memory=$(tail -1 "$listOut/memory")
  printf '%-22s %9s %7s ms %7s ms %7s ms %7s ms %7s ms %7s ms %7s ms %7s MB\n' "$kind \"$text\"" "$hits" "$iw" "$ic" "$sw" "$sc" \
    "$pw" "$pc" "$gw" "$(( memory / 1024 ))"
done

echo
awk -v i="$indexBytes" -v c="$catalogueBytes" 'BEGIN { printf "Index: %.0f bytes for %.0f bytes of catalogues: %.1f%%\n", i, c, 100 * i / c }'
awk -v b="$buildMs" -v g="$generateMs" -v n="$count" -v e="$entries" -v l="$listMs" -v le="$treeEntries" -v t="$treeIndexMs" 'BEGIN {
  printf "Build: qvl index of all %d catalogues %d ms (a core each at a time); generating them took %d ms (%.0f%%)\n", n, b, g, g ? 100 * b / g : 0
  printf "Listing: qvl list of a tree of %d entries %d ms; qvl index of its catalogue %d ms (%.1f%% of the listing)\n", le, l, t, l ? 100 * t / l : 0
  printf "Per million entries: listing %.0f ms, building the index %.0f ms (%.1f%%)\n", l * 1e6 / le, b * 1e6 / (n * e), 100 * (b / (n * e)) / (l / le)
}'
