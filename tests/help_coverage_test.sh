#!/usr/bin/env bash
# The manual page and completion checks fail once qvl's help names a command or an
# option they do not know: here a qvl whose help also has "audit" with "--thorough".
set -u
here=$(dirname "$0")
qvl=${1:?usage: help_coverage_test.sh QVL SOURCE_DIR}
source=${2:?usage: help_coverage_test.sh QVL SOURCE_DIR}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cat >"$dir/qvl" <<EOF2
#!/bin/sh
[ "\$1" = --help ] || exec "$qvl" "\$@"
"$qvl" --help | sed 's/^  qvl --help/  qvl audit FILE... [--thorough]\n                      the files checked against their disks\n&/'
EOF2
chmod +x "$dir/qvl"
grep -q 'qvl audit' <("$dir/qvl" --help) || { echo "the stand-in qvl's help has no audit" >&2; exit 1; }

status=0
Expect() {  # Expect WHAT COMMAND...: the check fails and names both additions
  local what=$1 out
  shift
  if out=$("$@" 2>&1); then
    echo "$what passes a help it does not cover" >&2
    status=1
  elif ! grep -q audit <<<"$out" || ! grep -q -- --thorough <<<"$out"; then
    printf '%s fails without naming audit and --thorough:\n%s\n' "$what" "$out" >&2
    status=1
  fi
}
Expect "man_check.sh" "$here/man_check.sh" "$source/man/qvl.1" "$dir/qvl"
Expect "the bash completion check" "$here/completion_check.sh" bash "$dir/qvl" "$source/completions/qvl.bash"
command -v zsh >/dev/null &&
  Expect "the zsh completion check" "$here/completion_check.sh" zsh "$dir/qvl" "$source/completions/_qvl"
[ $status -eq 0 ] && echo "the manual page and completion checks ask for what qvl --help adds"
exit $status
