#!/bin/bash
# Lists a tree with two builds of qvl, a previous one and this one, in every method
# and compares what they wrote: catalogue bytes, plain lists past their dated header,
# the companion by qvl info and by the export with its dates. Each qvl runs as a
# copy in a folder of its own, so that its settings are its own.
#
#   bench/compare_listings.sh OLD_QVL NEW_QVL TREE [WORK_DIR]
set -u
[ $# -ge 3 ] || { echo "usage: bench/compare_listings.sh OLD_QVL NEW_QVL TREE [WORK_DIR]" >&2; exit 2; }
work=${4:-$(mktemp -d)}
# The new build indexes what it writes: into a cache of the comparison's own.
export XDG_CACHE_HOME=$work/cache
tree=$3; o=$work/cmp; rm -rf "$o"; mkdir -p "$o" "$work/base" "$work/new"
cp "$1" "$work/base/qvl"; cp "$2" "$work/new/qvl"
ok=1
for m in qvl collapsed folders filenames; do
  for who in base new; do
    ext=txt; [ $m = qvl ] && ext=qvl
    ( cd $work/$who && ./qvl list c --map "c=$tree" -o $o/$who-$m.$ext --method $m >/dev/null 2>$o/$who-$m.err )
  done
  if [ $m = qvl ]; then
    cmp -s $o/base-qvl.qvl $o/new-qvl.qvl || { echo "DIFF catalogue"; ok=0; }
    (cd $work/base && ./qvl info $o/base-qvl.qvl | grep -v -e '^Catalogue' -e '^Listed' -e '^Free' ) > $o/bi
    (cd $work/new && ./qvl info $o/new-qvl.qvl | grep -v -e '^Catalogue' -e '^Listed' -e '^Free' ) > $o/ni
    echo "companion bytes differing: $(cmp -l $o/base-qvl.qvl.qvc $o/new-qvl.qvl.qvc 2>/dev/null | wc -l) of $(stat -c %s $o/new-qvl.qvl.qvc)"
    (cd $work/base && ./qvl export $o/base-qvl.qvl --format jsonl) > $o/be; (cd $work/new && ./qvl export $o/new-qvl.qvl --format jsonl) > $o/ne
    cmp -s $o/be $o/ne && echo "export with the companion dates identical ($(wc -l < $o/ne) rows)" || { echo "DIFF export"; ok=0; }
    cmp -s $o/bi $o/ni || { echo "DIFF companion info"; ok=0; }
  else
    cmp -s <(tail -n +3 $o/base-$m.txt) <(tail -n +3 $o/new-$m.txt) || { echo "DIFF $m"; ok=0; }
  fi
  cmp -s $o/base-$m.err $o/new-$m.err || { echo "DIFF stderr $m"; diff $o/base-$m.err $o/new-$m.err | head -5; }
done
[ $ok = 1 ] && echo "all outputs identical for $tree"
