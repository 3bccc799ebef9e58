#!/usr/bin/env bash
# The commands and options that `qvl --help` prints, one per line: "COMMAND" for
# each command, "COMMAND OPTION" for each option named in its block (its
# "  qvl COMMAND ..." line and the lines indented under it), and "- OPTION" for
# the program's own ("qvl --help", "qvl --version"). The manual page and
# completion checks read them from here, so a command or option added to the help
# is one they ask for.
set -u
qvl=${1:?usage: help_items.sh QVL}
help=$("$qvl" --help) || { echo "help_items.sh: $qvl --help failed" >&2; exit 1; }
items=$(awk '
  function scan(text,   option) {
    while (match(text, /(^|[ \t(|,[])--?[a-zA-Z][a-zA-Z0-9-]*/)) {
      option = substr(text, RSTART, RLENGTH)
      sub(/^[^-]*/, "", option)
      print command, option
      text = substr(text, RSTART + RLENGTH)
    }
  }
  /^  qvl / {
    rest = substr($0, 7)
    if (rest ~ /^-/) {
      command = "-"
    } else {
      command = $2
      print command
      sub(/^[^ ]+/, "", rest)
    }
    scan(rest)
    next
  }
  /^    / && command != "" { scan($0); next }
  { command = "" }
' <<<"$help" | sort -u)
# A help text this cannot read would otherwise pass every check.
if ! grep -q '^[a-z]' <<<"$items" || ! grep -q ' -' <<<"$items"; then
  echo "help_items.sh: found no commands or no options in $qvl --help" >&2
  exit 1
fi
printf '%s\n' "$items"
