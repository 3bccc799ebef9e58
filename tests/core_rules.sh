#!/usr/bin/env bash
# Rules of the source tree: each layer includes only the layers below it, nothing
# includes app/, only app/ includes Qt, and the core (everything but app/) owns its
# memory without raw new/delete.
set -u
src=${1:?usage: core_rules.sh SRC_DIR}
src=${src%/}

# The layers each layer may include besides itself. Search may include browse as
# quick find works on the loaded catalogue; reports use browse and search; settings may include listing as it keeps
# the history for the create-list command.
declare -A mayInclude=(
  [platform]=""
  [catalogue]="platform"
  [listing]="catalogue platform"
  [browse]="catalogue platform"
  [search]="browse catalogue platform"
  [reports]="search browse catalogue platform"
  [settings]="listing catalogue platform"
  [cli]="settings reports search browse listing catalogue platform"
  [app]="settings reports search browse listing catalogue platform"
)

status=0
Fail() {
  echo "$1" >&2
  status=1
}

Allowed() {  # Allowed LAYER INCLUDED_LAYER
  [ "$1" = "$2" ] && return 0
  local layer
  for layer in ${mayInclude[$1]}; do [ "$layer" = "$2" ] && return 0; done
  return 1
}

files=$(find "$src" -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.in' \) | sort)
for folder in $(cut -d/ -f1 <<<"${files//"$src"\//}" | sort -u); do
  [ -n "${mayInclude[$folder]+known}" ] || Fail "src/$folder/ is not in the layer table of core_rules.sh"
done

includePattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]*)[>"]'
# One grep for the whole tree: a process per line would take seconds.
while IFS= read -r match; do
  file=${match%%:*}
  rest=${match#*:}
  line=${rest%%:*}
  text=${rest#*:}
  relative=${file#"$src"/}
  layer=${relative%%/*}
  [ -n "${mayInclude[$layer]+known}" ] || continue
  [[ $text =~ $includePattern ]] || continue
  quoted=${BASH_REMATCH[1]}
  included=${BASH_REMATCH[2]}
  first=${included%%/*}
  [ "$first" = "$included" ] && first=""
  if [[ $included =~ ^Q[A-Za-z]*(/|$) ]]; then
    [ "$layer" = app ] ||
      Fail "$relative:$line: includes <$included>: only app/ may include Qt headers"
  elif [ "$first" = app ]; then
    [ "$layer" = app ] ||
      Fail "$relative:$line: includes \"$included\": nothing outside app/ includes app/"
  elif [ -n "$first" ] && [ -n "${mayInclude[$first]+known}" ]; then
    Allowed "$layer" "$first" ||
      Fail "$relative:$line: includes \"$included\": $layer may include ${mayInclude[$layer]:-only the standard library and the system}"
  elif [ "$quoted" = '"' ] && [ "$layer" != app ]; then
    Fail "$relative:$line: includes \"$included\": core includes name their layer (\"layer/File.h\")"
  fi
done < <(grep -nHE "$includePattern" $files)

core=$(grep -v "^$src/app/" <<<"$files")
if grep -nHE '(^|[^_[:alnum:]])(new|delete)[[:space:]]+[[:alnum:]_:<>]+[[:space:]]*[\[(;{]' $core | grep -v '//' >&2; then
  Fail "A core source uses raw new or delete (above): the core owns memory through containers and smart pointers."
fi

[ $status -eq 0 ] && echo "sources: layers include only the layers below them, Qt only in app/, no raw new/delete in the core"
exit $status
