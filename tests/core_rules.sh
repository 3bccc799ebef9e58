#!/bin/sh
# The core (everything but app/) builds without Qt and owns its memory without
# raw new/delete.
src=${1:?usage: core_rules.sh SRC_DIR}
core=$(find "$src" -name '*.h' -o -name '*.cpp' | grep -v "^$src/app/")
status=0
if grep -nE '^\s*#\s*include\s*[<"]Q[A-Za-z]*[>/"]' $core; then
  echo "A core source includes a Qt header (above)." >&2
  status=1
fi
if grep -nE '(^|[^_[:alnum:]])(new|delete)[[:space:]]+[[:alnum:]_:<>]+[[:space:]]*[\[(;{]' $core | grep -v '//'; then
  echo "A core source uses raw new or delete (above)." >&2
  status=1
fi
[ $status -eq 0 ] && echo "core sources: no Qt headers, no raw new/delete"
exit $status
