#!/usr/bin/env bash
# `cmake --install` of a build puts every file where the desktop and ReadmePath()
# look for it, and the installed qvl runs.
set -u
cmake=${1:?usage: install_check.sh CMAKE BUILD_DIR}
build=${2:?usage: install_check.sh CMAKE BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || { echo "cmake --install failed" >&2; exit 1; }
status=0
# Readme.txt where ReadmePath() looks from bin/.
for file in bin/qvl share/doc/quorvalen/Readme.txt share/mime/packages/quorvalen.xml \
            share/icons/hicolor/scalable/apps/quorvalen.svg; do
  [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; status=1; }
done
# The window and its menu entry come together.
if [ -f "$prefix/bin/quorvalen" ] || [ -f "$prefix/share/applications/io.github.quorvalen.Quorvalen.desktop" ]; then
  for file in bin/quorvalen share/applications/io.github.quorvalen.Quorvalen.desktop; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; status=1; }
  done
fi
if ! "$prefix/bin/qvl" --help | grep -q 'qvl'; then
  echo "the installed qvl --help failed" >&2
  status=1
fi
[ $status -eq 0 ] && echo "installed: qvl, Readme.txt, MIME package, icon"
exit $status
