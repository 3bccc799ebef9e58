#!/usr/bin/env bash
# `cmake --install` of a build puts every file where the desktop, the shells, man
# and ReadmePath() look for it, and the installed qvl runs.
set -u
cmake=${1:?usage: install_check.sh CMAKE BUILD_DIR}
build=${2:?usage: install_check.sh CMAKE BUILD_DIR}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || { echo "cmake --install failed" >&2; exit 1; }
status=0
# Readme.txt where ReadmePath() looks from bin/.
for file in bin/qvl share/doc/quorvalen/Readme.txt share/doc/quorvalen/copyright \
            share/doc/quorvalen/changelog.gz share/man/man1/qvl.1.gz share/mime/packages/quorvalen.xml \
            share/icons/hicolor/scalable/apps/quorvalen.svg share/bash-completion/completions/qvl \
            share/zsh/vendor-completions/_qvl share/fish/vendor_completions.d/qvl.fish; do
  [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; status=1; }
done
# The window comes with its menu entry, metadata and manual page.
id=io.github.quorvalen.Quorvalen
window=(bin/quorvalen share/applications/$id.desktop share/metainfo/$id.metainfo.xml share/man/man1/quorvalen.1.gz)
if [ -f "$prefix/bin/quorvalen" ] || [ -f "$prefix/share/applications/$id.desktop" ]; then
  for file in "${window[@]}"; do
    [ -f "$prefix/$file" ] || { echo "not installed: $file" >&2; status=1; }
  done
fi
if ! gzip -dc "$prefix/share/man/man1/qvl.1.gz" | grep -q '^\.TH QVL 1'; then
  echo "the installed qvl.1.gz is not the manual page" >&2
  status=1
fi
if ! "$prefix/bin/qvl" --help | grep -q 'qvl'; then
  echo "the installed qvl --help failed" >&2
  status=1
fi
[ $status -eq 0 ] && echo "installed: qvl, Readme.txt, manual pages, completions, MIME package, icon"
exit $status
