#!/usr/bin/env bash
# Times `qvl merge` of two catalogues of one tree (the second after a few changes)
# against `cat A B > C` plus one load of each catalogue, warm cache, at two sizes,
# and prints the ratios. The pairs are made once by merge_pair.py from CATALOGUE
# (the benchmark tree's catalogue): all of it, and half of its top folders.
#
#   bench/merge_bench.sh [BUILD_DIR] [CATALOGUE] [DATA_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
catalogue=${2:-$here/out/million.qvl}
data=${3:-$here/out/merge}
runs=${4:-11}
source "$here/timing.sh"

[ -f "$catalogue" ] || { echo "bench: no catalogue $catalogue (make one with: qvl list c --map c=bench/out/tree -o $catalogue)" >&2; exit 2; }
mkdir -p "$data"
# A copy of qvl of the benchmark's own, so that no settings file is touched.
cp "$build/bin/qvl" "$data/qvl"
load=$build/bin/load_catalogue

for size in full half; do
  a=$data/a-$size.qvl b=$data/b-$size.qvl
  if [ ! -f "$a" ] || [ ! -f "$b" ]; then
    share=$([ $size = full ] && echo 1.0 || echo 0.5)
    python3 "$here/merge_pair.py" "$catalogue" "$share" "$a" "$b"
  fi
  cat "$a" "$b" >/dev/null  # warm the cache
  echo
  echo "$size: A $(stat -c %s "$a") bytes, $("$load" "$a"); B $(stat -c %s "$b") bytes, $("$load" "$b"); $runs runs each"
  # The destination is a fresh link to A each time: the merge renames its result
  # over the link, and A stays as it was.
  time_runs "qvl merge B A ($size)" "$runs" sh -c "ln -f '$a' '$data/d.qvl' && '$data/qvl' merge '$b' '$data/d.qvl'"
  time_runs "cat A B > C ($size)"   "$runs" sh -c "cat '$a' '$b' > '$data/c.qvl'"
  time_runs "load A ($size)"        "$runs" "$load" "$a"
  time_runs "load B ($size)"        "$runs" "$load" "$b"
  peer=$(awk -v c="${MEDIAN[cat A B > C ($size)]}" -v x="${MEDIAN[load A ($size)]}" -v y="${MEDIAN[load B ($size)]}" \
    'BEGIN { printf "%.3f", c + x + y }')
  MEDIAN[peer $size]=$peer
  echo "merge / (cat + load A + load B) ($size): $(ratio "${MEDIAN[qvl merge B A ($size)]}" "$peer")  (target under 2)"
done
rm -f "$data/d.qvl" "$data/d.qvl.imp.tmp" "$data/c.qvl" "$data/qvl"

echo
echo "merge full / half: $(ratio "${MEDIAN[qvl merge B A (full)]}" "${MEDIAN[qvl merge B A (half)]}")" \
  "  sizes full / half: $(ratio "$(( $(stat -c %s "$data/a-full.qvl") + $(stat -c %s "$data/b-full.qvl") ))" \
                                 "$(( $(stat -c %s "$data/a-half.qvl") + $(stat -c %s "$data/b-half.qvl") ))")" \
  "  peer full / half: $(ratio "${MEDIAN[peer full]}" "${MEDIAN[peer half]}")"
