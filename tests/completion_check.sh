#!/usr/bin/env bash
# The shell completions of qvl load in their shell and know every command and
# option that `qvl --help` prints. Where the shell can be asked (bash with
# bash-completion, fish), they are run on command lines: the commands, each
# command's options, option values, catalogue files in any letter case, and the
# drive letters of `qvl drives` (from a stand-in qvl, so that any machine gives
# the same drives). Exits 77, a skip, when the shell is not installed.
set -u
shell=${1:?usage: completion_check.sh bash|zsh|fish QVL FILE}
qvl=${2:?usage: completion_check.sh bash|zsh|fish QVL FILE}
file=${3:?usage: completion_check.sh bash|zsh|fish QVL FILE}
file=$(realpath "$file")
command -v "$shell" >/dev/null || { echo "$shell is not installed: its completions are not checked"; exit 77; }
items=$("$(dirname "$0")/help_items.sh" "$qvl") || exit 1
status=0
Fail() {
  echo "$1" >&2
  status=1
}

# What the help names, "|"-joined in C order, as the shells' answers are below.
Joined() { LC_ALL=C sort -u | paste -sd '|'; }
Commands() { grep -v ' ' <<<"$items" | Joined; }
OptionsOf() { awk -v command="$1" '$1 == command && NF == 2 { print $2 }' <<<"$items" | Joined; }

# Where the completions cannot be run, each command and option of the help must at
# least be a word of the file.
Mentions() {
  local word
  while read -r word; do
    grep -qE -- "(^|[^a-zA-Z0-9_-])$word([^a-zA-Z0-9_-]|$)" "$file" || Fail "$file: does not know $word"
  done < <(tr ' ' '\n' <<<"$items" | grep -vx -- - | sort -u)
}

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/bin" "$dir/files/sub"
touch "$dir/files/a.qvl" "$dir/files/B.QVL" "$dir/files/c.Qvl" "$dir/files/my disk.qvl" "$dir/files/notes.txt"
cat >"$dir/bin/qvl" <<EOF
#!/bin/sh
[ "\$1" = drives ] || exec "$qvl" "\$@"
printf 'c:\tfixed\tc: [root]\t/\nt:\tfixed\tt: [Photos]\t/media/me/Photos\n'
EOF
chmod +x "$dir/bin/qvl"
# bash adds a folder's slash itself, and completes the folder of --map t=DIR as
# a word of its own.
catalogues='B.QVL|a.qvl|c.Qvl|my disk.qvl|sub' mapped=sub
[ "$shell" = fish ] && catalogues+=/ mapped=t=sub/

# The cases: what each line completes to, then the line, its last word the one
# being completed. A shell function each shell's driver below defines runs them.
Cases() {
  Expect "$(Commands)" qvl ""
  Expect "$(OptionsOf -)" qvl -
  local command
  for command in $(grep -v ' ' <<<"$items"); do
    Expect "$(OptionsOf "$command")" qvl "$command" -
  done
  Expect "c:|t:" qvl list ""
  Expect "c:|t:" qvl list --map t=/x -o out.qvl ""
  Expect "$catalogues" qvl info ""
  Expect "$catalogues" qvl ls --sort name ""
  Expect "" qvl ls a.qvl ""
  Expect "" qvl search ""
  Expect "$catalogues" qvl search readme a.qvl ""
  Expect "" qvl find a.qvl ""
  Expect "$catalogues" qvl merge a.qvl ""
  Expect "collapsed|filenames|folders|qvl" qvl list c --method ""
  Expect "collapsed|filenames|folders" qvl tree a.qvl --method ""
  Expect "append|fail|overwrite" qvl list c -o x.qvl --if-exists ""
  Expect "archive|bytes|name|path|size" qvl ls a.qvl --sort ""
  Expect "$mapped" qvl list t --map t=s
}

case $shell in
  bash)
    bash -c 'source "$1" && complete -p qvl' bash "$file" >/dev/null || Fail "$file: bash cannot load it"
    framework=/usr/share/bash-completion/bash_completion
    if [ ! -f "$framework" ]; then
      echo "bash-completion is not installed: the completions are loaded and read, not run"
      Mentions
      exit $status
    fi
    Expect() {
      local expected=$1 got
      shift
      COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMP_LINE="$*"
      COMP_POINT=${#COMP_LINE}
      COMPREPLY=()
      _qvl qvl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
      got=$(printf '%s\n' "${COMPREPLY[@]}" | grep . | Joined)
      [ "$got" = "$expected" ] || Fail "bash: qvl ${*:2}<Tab> gives [$got], not [$expected]"
    }
    (
      # bash-completion's own code is not written for set -u.
      set +u
      # shellcheck disable=SC1090
      source "$framework" && source "$file" || exit 1
      cd "$dir/files" && PATH=$dir/bin:$PATH Cases
      exit $status
    ) || status=1
    ;;
  zsh)
    zsh -n "$file" || Fail "$file: zsh cannot read it"
    Mentions
    ;;
  fish)
    fish --no-execute "$file" || Fail "$file: fish cannot read it"
    Expect() {
      local expected=$1 line got
      shift
      line="$*"
      got=$(cd "$dir/files" && PATH=$dir/bin:$PATH fish -c 'source $argv[1]; complete -C $argv[2]' "$file" "$line" |
            cut -f1 | Joined)
      [ "$got" = "$expected" ] || Fail "fish: $line<Tab> gives [$got], not [$expected]"
    }
    Cases
    ;;
  *)
    echo "completion_check.sh: no such shell: $shell" >&2
    exit 2
    ;;
esac
[ $status -eq 0 ] && echo "$shell: the completions know every command and option of qvl --help"
exit $status
