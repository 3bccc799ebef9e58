#!/usr/bin/env bash
# PROGRAM --version prints "NAME (Quorvalen) VERSION" on stdout, nothing else,
# with status 0, and needs no display to do it.
set -u
program=${1:?usage: version_check.sh PROGRAM NAME VERSION}
name=${2:?usage: version_check.sh PROGRAM NAME VERSION}
version=${3:?usage: version_check.sh PROGRAM NAME VERSION}
err=$(mktemp)
trap 'rm -f "$err"' EXIT
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" --version 2>"$err")
status=$?
expected="$name (Quorvalen) $version"
if [ $status -ne 0 ] || [ "$out" != "$expected" ] || [ -s "$err" ]; then
  echo "$name --version: status $status, printed [$out] and [$(cat "$err")], not [$expected]" >&2
  exit 1
fi
echo "$name --version: $out"
