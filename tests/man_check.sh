#!/usr/bin/env bash
# A manual page reads without a warning from man; given qvl, the page has a
# section (.SS "qvl COMMAND ...") for every command that `qvl --help` prints, and
# in that section an item (.TP) whose tag names each of the command's options
# (the program's own options anywhere outside those sections).
set -u
page=${1:?usage: man_check.sh PAGE [QVL]}
qvl=${2:-}
status=0

if command -v man >/dev/null; then
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    printf '%s: man warns:\n%s\n' "$page" "$warnings" >&2
    status=1
  fi
else
  echo "man is not installed: the page's warnings are not checked"
fi

if [ -n "$qvl" ]; then
  items=$("$(dirname "$0")/help_items.sh" "$qvl") || exit 1
  # Each item's tag, after the section it is in: "list -o, --output FILE"; and
  # "heading list" for each section. Font changes, quotes and escapes go first.
  entries=$(sed -E 's/\\f(\[[^]]*\]|\(..|.)//g; s/\\-/-/g; s/\\&//g; s/\\e/\\/g; s/"//g' "$page" | awk '
    /^\.SH/ { section = "-"; next }
    /^\.SS/ { section = ($2 == "qvl") ? $3 : "?"; print "heading", section; next }
    /^\.(TP|TQ)/ { tag = 1; next }
    tag { line = $0; sub(/^\.[A-Za-z]+[ \t]*/, "", line); print section, line; tag = 0 }
  ')
  while read -r command option; do
    if [ -z "$option" ]; then
      grep -qxF "heading $command" <<<"$entries" ||
        { echo "$page: the command $command has no section (.SS qvl $command ...)" >&2; status=1; }
    elif ! grep -E -- "^$command " <<<"$entries" | grep -qE -- "[^a-zA-Z0-9-]$option([^a-zA-Z0-9-]|$)"; then
      where=${command/#-/the program}
      echo "$page: the option $option of $where has no item (.TP) in its section" >&2
      status=1
    fi
  done <<<"$items"
  [ $status -eq 0 ] && echo "$page: every command and option of qvl --help"
fi
exit $status
