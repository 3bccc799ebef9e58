#!/usr/bin/env bash
# What the desktop reads of an installed Quorvalen, checked by the desktop's own
# tools:
#   entry SOURCE_DIR          desktop-file-validate on the desktop entry
#   metainfo SOURCE_DIR VERSION
#                             appstreamcli on the metadata, whose newest release,
#                             like the package's change log, is VERSION
#   mime SOURCE_DIR QVL       a catalogue without the .qvl extension is known by
#                             its first bytes (xdg-mime, over the MIME package in
#                             a data folder of its own); a skip (77) without the tools
set -u
mode=${1:?usage: desktop_check.sh entry|metainfo|mime SOURCE_DIR [VERSION|QVL]}
source=${2:?usage: desktop_check.sh entry|metainfo|mime SOURCE_DIR [VERSION|QVL]}
id=io.github.quorvalen.Quorvalen
status=0
Fail() {
  echo "$1" >&2
  status=1
}
Need() {
  command -v "$1" >/dev/null || { echo "$1 is not installed (Debian package $2)" >&2; exit 1; }
}

case $mode in
  entry)
    Need desktop-file-validate desktop-file-utils
    desktop-file-validate "$source/data/$id.desktop" || Fail "desktop-file-validate finds fault with $id.desktop"
    ;;
  metainfo)
    version=${3:?usage: desktop_check.sh metainfo SOURCE_DIR VERSION}
    Need appstreamcli appstream
    metainfo=$source/data/$id.metainfo.xml
    appstreamcli validate --no-net "$metainfo" || Fail "appstreamcli finds fault with $id.metainfo.xml"
    grep -q "<id>$id</id>" "$metainfo" || Fail "$metainfo: its id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
      Fail "$metainfo: does not launch $id.desktop"
    # Releases are listed newest first.
    newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
    [ "$newest" = "$version" ] || Fail "$metainfo: the newest release is ${newest:-missing}, the project's version $version"
    logged=$(head -n 1 "$source/packaging/changelog" | sed -n 's/^quorvalen (\([^)]*\)).*/\1/p')
    [ "$logged" = "$version" ] ||
      Fail "packaging/changelog: the newest entry is ${logged:-missing}, the project's version $version"
    ;;
  mime)
    qvl=${3:?usage: desktop_check.sh mime SOURCE_DIR QVL}
    for tool in xdg-mime update-mime-database gio; do
      command -v $tool >/dev/null || { echo "$tool is not installed: the catalogue's MIME type is not checked"; exit 77; }
    done
    dir=$(mktemp -d)
    trap 'rm -rf "$dir"' EXIT
    mkdir -p "$dir/data/mime/packages" "$dir/tree/Docs" "$dir/files"
    cp "$source/data/quorvalen.xml" "$dir/data/mime/packages/"
    export XDG_DATA_HOME=$dir/data XDG_DATA_DIRS=$dir/data:/usr/share
    update-mime-database "$XDG_DATA_HOME/mime" || { echo "update-mime-database failed" >&2; exit 1; }
    echo note >"$dir/tree/Docs/a.txt"
    "$qvl" list t --map "t=$dir/tree" -o "$dir/files/disk.qvl" 2>/dev/null || { echo "qvl list failed" >&2; exit 1; }
    # xdg-mime asks GLib (gio) on GNOME, which reads the data folders above.
    TypeOf() { XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$1"; }
    type=application/x-quorvalen-file
    cp "$dir/files/disk.qvl" "$dir/files/disk-image"
    printf '\0z: \\\\server\\share\4x\1x\2\2\0' >"$dir/files/network"
    echo "named as one" >"$dir/files/OLD.QVL"
    printf '\0C: [data]\2\0' >"$dir/files/capital"
    printf 'c: is no catalogue\n' >"$dir/files/text"
    printf '\0\1c:' >"$dir/files/binary"
    for file in disk.qvl disk-image network OLD.QVL; do
      [ "$(TypeOf "$dir/files/$file")" = $type ] || Fail "$file is taken for $(TypeOf "$dir/files/$file"), not $type"
    done
    for file in capital text binary; do
      [ "$(TypeOf "$dir/files/$file")" != $type ] || Fail "$file is taken for a catalogue"
    done
    ;;
  *)
    echo "desktop_check.sh: no such check: $mode" >&2
    exit 2
    ;;
esac
[ $status -eq 0 ] && echo "$mode: as the desktop wants it"
exit $status
