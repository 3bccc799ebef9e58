#!/usr/bin/env bash
# Times the reports on the benchmark catalogue and ten copies of it with a thousand
# changes each (files added, removed, resized and moved, by change_catalogue.py),
# warm cache, against the commands that read the same files:
#   qvl diff of the catalogue and one copy  against  qvl info of both (two loads)
#   qvl dupes over all eleven                against  qvl search over them, for "/"
#                                                     (every file with a size: as
#                                                     many rows as dupes lists
#                                                     copies) and for a rare text
#   qvl export --format jsonl                its output rate
# and the peak memory of each (/usr/bin/time -v). Output goes to /dev/null.
#
#   bench/reports_bench.sh [BUILD_DIR] [CATALOGUE] [WORK_DIR] [RUNS]
#
# WORK_DIR gets the copies (made once, kept); it is not removed afterwards.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
file=${2:-$here/out/million.qvl}
work=${3:-$here/out/reports}
runs=${4:-5}
source "$here/timing.sh"

[ -f "$file" ] || { echo "bench: no catalogue $file (make one with: qvl list c --map c=bench/out/tree -o $file)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "bench: /usr/bin/time is missing (apt-get install time)" >&2; exit 2; }
mkdir -p "$work"
copies=()
for i in $(seq -w 1 10); do
  copy="$work/c$i.qvl"
  if [ ! -f "$copy" ] || [ "$copy" -ot "$file" ]; then
    python3 "$here/change_catalogue.py" "$file" "$copy" --changes 1000 --seed "$((10#$i))"
  fi
  copies+=("$copy")
done
all=("$file" "${copies[@]}")
qvl=$build/bin/qvl
cat "${all[@]}" >/dev/null  # warm the cache

# diff exits with 1 when the catalogues differ, search when it finds nothing.
status_at_most_one() {
  local status=0
  "$@" || status=$?
  [ "$status" -le 1 ]
}
diff_pair() { status_at_most_one "$qvl" diff "$file" "${copies[0]}"; }
info_both() { "$qvl" info "$file" && "$qvl" info "${copies[0]}"; }
dupes_all() { "$qvl" dupes "${all[@]}"; }
search_all() { status_at_most_one "$qvl" search / "${all[@]}"; }
# The fair form of the peer: the same rows as dupes, grouped as dupes groups them
# (by name, letter case ignored, and size): search / through sort.
search_grouped() {
  "$qvl" search / "${all[@]}" 2>/dev/null | LC_ALL=C sort -t "$(printf '\t')" -k2,2f -k3,3n -S 50% -T "$work"
}
search_rare() { status_at_most_one "$qvl" search zqxjv "${all[@]}"; }
export_jsonl() { "$qvl" export "$file" --format jsonl; }

bytes=$(stat -c %s "$file")
echo "Catalogue: $file ($bytes bytes); 10 changed copies in $work; warm cache; $(nproc) cores; $runs runs each"
echo "diff: $("$qvl" diff "$file" "${copies[0]}" 2>&1 >/dev/null || true)"
echo "dupes: $("$qvl" dupes "${all[@]}" 2>&1 >/dev/null)"
echo "search /: $("$qvl" search / "${all[@]}" 2>&1 >/dev/null)"
exported=$("$qvl" export "$file" --format jsonl | wc -c)
echo "export jsonl: $exported bytes"
echo

time_in_turn "$runs" "qvl diff (2 catalogues)" diff_pair "qvl info x2" info_both
time_in_turn "$runs" "qvl dupes (11)" dupes_all "qvl search / (11)" search_all
time_runs "qvl search zqxjv (11)" "$runs" search_rare
time_runs "qvl search / (11) | sort" 1 search_grouped
time_runs "qvl export jsonl" "$runs" export_jsonl

peak() {  # peak resident memory of one run, in MB
  /usr/bin/time -v "$@" 2>&1 >/dev/null | awk '/Maximum resident set size/ { printf "%.0f MB", $6 / 1024 }'
}
echo
echo "diff / two loads:        $(ratio "${MEDIAN[qvl diff (2 catalogues)]}" "${MEDIAN[qvl info x2]}")   (target at most 2)"
echo "dupes / search / (11):   $(ratio "${MEDIAN[qvl dupes (11)]}" "${MEDIAN[qvl search / (11)]}")   (target at most 3)"
echo "dupes / search / | sort: $(ratio "${MEDIAN[qvl dupes (11)]}" "${MEDIAN[qvl search / (11) | sort]}")   (the fair peer: the same rows, grouped)"
echo "dupes / search zqxjv:    $(ratio "${MEDIAN[qvl dupes (11)]}" "${MEDIAN[qvl search zqxjv (11)]}")"
echo "export jsonl:            $(awk -v b="$exported" -v s="${MEDIAN[qvl export jsonl]}" 'BEGIN { printf "%.0f MB/s", b / s / 1e6 }')   (target at least 200)"
echo
echo "peak memory: diff $(peak "$qvl" diff "$file" "${copies[0]}"), info $(peak "$qvl" info "$file"),"\
     "dupes $(peak "$qvl" dupes "${all[@]}"), search / $(peak "$qvl" search / "${all[@]}"),"\
     "export $(peak "$qvl" export "$file" --format jsonl)"
