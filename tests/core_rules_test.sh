#!/usr/bin/env bash
# core_rules.sh passes a tree that keeps the rules and, for each broken rule, fails
# naming the file, the include and the rule.
set -u
rules=${1:?usage: core_rules_test.sh CORE_RULES_SCRIPT}
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
status=0

Source() {  # Source FILE LINE...
  mkdir -p "$(dirname "$tree/src/$1")"
  printf '%s\n' "${@:2}" >"$tree/src/$1"
}

Expect() {  # Expect WANTED_STATUS MESSAGE_PART
  local out
  out=$(bash "$rules" "$tree/src" 2>&1)
  local got=$?
  if [ "$got" -ne "$1" ] || [[ $out != *"$2"* ]]; then
    echo "case '$2': status $got, output:" >&2
    echo "$out" >&2
    status=1
  fi
}

Reset() {
  rm -rf "$tree/src"
  Source platform/File.h '#pragma once' '#include <string>' '#include <unicode/ucol.h>'
  Source catalogue/Fields.h '#include "platform/File.h"'
  Source search/QuickFind.cpp '#include "browse/Catalogue.h"' '#include "search/QuickFind.h"'
  Source settings/History.cpp '#include "listing/CatalogueHistory.h"'
  Source cli/main.cpp '#include "settings/Settings.h"' '#include "search/QuickFind.h"'
  Source app/MainWindow.cpp '#include <QMainWindow>' '#include "ui_MainWindow.h"' \
    '#include "search/QuickFind.h"' 'auto* w = new QLabel(this);'
}

Reset
Expect 0 "layers include only the layers below them"

Reset
Source platform/Drives.cpp '#include "platform/File.h"' '#include "catalogue/Fields.h"'
Expect 1 'platform/Drives.cpp:2: includes "catalogue/Fields.h": platform may include only the standard library'

Reset
Source search/RowOrder.cpp '  #  include "settings/Settings.h"'
Expect 1 'search/RowOrder.cpp:1: includes "settings/Settings.h": search may include browse catalogue platform'

Reset
Source listing/Walk.cpp '#include <browse/Catalogue.h>'
Expect 1 'listing/Walk.cpp:1: includes "browse/Catalogue.h": listing may include catalogue platform'

Reset
Source cli/Gui.cpp '#include "app/MainWindow.h"'
Expect 1 'cli/Gui.cpp:1: includes "app/MainWindow.h": nothing outside app/ includes app/'

Reset
Source browse/Catalogue.cpp '#include <QString>'
Expect 1 'browse/Catalogue.cpp:1: includes <QString>: only app/ may include Qt headers'

Reset
Source browse/Catalogue.cpp '#include "Catalogue.h"'
Expect 1 'browse/Catalogue.cpp:1: includes "Catalogue.h": core includes name their layer'

Reset
Source window/Main.cpp '#include <vector>'
Expect 1 'src/window/ is not in the layer table'

Reset
Source browse/Catalogue.cpp 'char* buffer = new char[10];'
Expect 1 'raw new or delete'

[ $status -eq 0 ] && echo "core_rules.sh: every rule caught, a clean tree passes"
exit $status
