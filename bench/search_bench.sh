#!/usr/bin/env bash
# Times the two searches against grep on the same bytes, warm cache, for a frequent
# and an absent text: qvl find (the catalogue loaded, then searched) against
# grep -F -i -c on the catalogue, and qvl search over 100 copies of it, named by the
# history list of a settings file beside a copy of qvl, against grep over the copies.
# qvl prints every hit as a row; grep -c prints only its counts of matching lines,
# and as catalogues have hardly a line break it may stop at a file's first match.
# So the frequent text is also timed against grep -a -o | wc -l, which finds every
# match as qvl does. qvl search uses a worker thread per core (up to four) and grep
# one, and qvl marks 32 bytes at a time where the processor has AVX2, 16 where it
# has not: both are printed with the figures.
#
#   bench/search_bench.sh [BUILD_DIR] [CATALOGUE] [WORK_DIR] [RUNS]
#
# WORK_DIR gets the copies (hard links where the file system allows) and the copy
# of qvl; it is not removed afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
file=${2:-$here/out/million.qvl}
work=${3:-$here/out/search}
runs=${4:-7}
frequent=readme
absent=zqxjv
source "$here/timing.sh"

[ -f "$file" ] || { echo "bench: no catalogue $file (make one with: qvl list c --map c=bench/out/tree -o $file)" >&2; exit 2; }
mkdir -p "$work/copies" "$work/bin"
copies=()
history=$'[History]\n'
for i in $(seq -w 1 100); do
  copy="$work/copies/c$i.qvl"
  [ "$copy" -ef "$file" ] || ln -f "$file" "$copy" 2>/dev/null || cp "$file" "$copy"
  copies+=("$copy")
  history+="Item$((10#$i))=$copy"$'\n'
done
cp "$build/bin/qvl" "$work/bin/qvl"
printf '%s' "$history" >"$work/bin/Quorvalen.ini"
qvl=$work/bin/qvl

# Both programs exit with 1 when they find nothing.
found_or_not() {
  local status=0
  "$@" || status=$?
  [ "$status" -le 1 ]
}

bytes=$(stat -c %s "$file")
vectors=16
grep -qw avx2 /proc/cpuinfo 2>/dev/null && vectors=32
echo "Catalogue: $file ($bytes bytes); 100 copies in $work/copies; warm cache; $(nproc) cores; $vectors-byte vectors"
cat "${copies[@]}" >/dev/null
for text in "$frequent" "$absent"; do
  echo "\"$text\": $("$qvl" find "$file" "$text" 2>&1 >/dev/null)"
done
echo

every_match() { grep -a -F -i -o "$@" | wc -l; }
for text in "$frequent" "$absent"; do
  time_runs "qvl find $text" "$runs" found_or_not "$qvl" find "$file" "$text"
  time_runs "grep -F -i -c $text" "$runs" found_or_not grep -F -i -c "$text" "$file"
done
time_runs "grep -a -o $frequent | wc -l" "$runs" every_match "$frequent" "$file"
# Over the copies, qvl and grep take turns: runs here last seconds, long enough for
# the shared machine's load to change between them.
search_runs=$(( runs < 5 ? runs : 5 ))
for text in "$frequent" "$absent"; do
  qvl_search() { found_or_not "$qvl" search "$text"; }
  grep_copies() { found_or_not grep -F -i -c "$text" "${copies[@]}"; }
  time_in_turn "$search_runs" "qvl search $text (100)" qvl_search "grep -F -i -c $text (100)" grep_copies
done
time_runs "grep -a -o $frequent | wc -l (100)" "$search_runs" every_match "$frequent" "${copies[@]}"

echo
for text in "$frequent" "$absent"; do
  echo "find   \"$text\": qvl / grep = $(ratio "${MEDIAN[qvl find $text]}" "${MEDIAN[grep -F -i -c $text]}")"
done
echo "find   \"$frequent\": qvl / grep -a -o = $(ratio "${MEDIAN[qvl find $frequent]}" "${MEDIAN[grep -a -o $frequent | wc -l]}")"
for text in "$frequent" "$absent"; do
  echo "search \"$text\": qvl / grep = $(ratio "${MEDIAN[qvl search $text (100)]}" "${MEDIAN[grep -F -i -c $text (100)]}")"
done
echo "search \"$frequent\": qvl / grep -a -o = $(ratio "${MEDIAN[qvl search $frequent (100)]}" "${MEDIAN[grep -a -o $frequent | wc -l (100)]}")"
