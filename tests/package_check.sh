#!/usr/bin/env bash
# The Debian package that `make package` built: lintian finds no error in it; it
# installs with apt-get, its qvl lists and reads a small tree from /usr/bin, its
# window says its version, and it is removed again. CI runs this after make test,
# on a machine where installing packages is allowed (as root, or through sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
deb=${1:-}
if [ -z "$deb" ]; then
  debs=(build-package/quorvalen_*_"$(dpkg --print-architecture)".deb)
  [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] ||
    { echo "package_check.sh: no one package in build-package/ (make package makes it)" >&2; exit 1; }
  deb=${debs[0]}
fi
version=$(dpkg-deb --field "$deb" Version)
sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
export DEBIAN_FRONTEND=noninteractive

if dpkg -s quorvalen >/dev/null 2>&1; then
  echo "package_check.sh: quorvalen is installed here already, and this would remove it" >&2
  exit 1
fi

echo "lintian $deb"
lintian --fail-on error "$deb"

dir=$(mktemp -d)
Clean() {
  $sudo apt-get remove -y quorvalen >/dev/null 2>&1 || true
  rm -rf "$dir"
}
trap Clean EXIT
$sudo apt-get install -y "./$deb"

Fail() {
  echo "package_check.sh: $1" >&2
  exit 1
}
# A user of the installed programs, with settings of their own.
export HOME=$dir/home XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data
mkdir -p "$HOME" "$dir/tree/Docs"
printf 'twelve bytes' >"$dir/tree/Docs/a.txt"
/usr/bin/qvl list t --map "t=$dir/tree" --label Test -o "$dir/X.qvl" || Fail "the installed qvl list failed"
info=$(/usr/bin/qvl info "$dir/X.qvl") || Fail "the installed qvl info failed"
grep -qx 'Caption:   t: \[test\]' <<<"$info" && grep -qx 'Files:     1' <<<"$info" && grep -qx 'Bytes:     12' <<<"$info" ||
  Fail "the installed qvl info printed: $info"
# Installed, it keeps its settings with the user, even when it could write /usr/bin.
grep -q "X.qvl" "$XDG_CONFIG_HOME/Quorvalen/Quorvalen.ini" || Fail "the catalogue is not in the user's history list"
[ ! -e /usr/bin/Quorvalen.ini ] || Fail "the installed qvl wrote its settings into /usr/bin"
[ "$(/usr/bin/qvl --version)" = "qvl (Quorvalen) $version" ] || Fail "qvl --version: $(/usr/bin/qvl --version)"
window=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/quorvalen --version) ||
  Fail "the installed quorvalen --version failed"
[ "$window" = "quorvalen (Quorvalen) $version" ] || Fail "quorvalen --version: $window"
# Some systems install packages without their manual pages (Debian's slim images).
contents=$(dpkg-deb --contents "$deb")
for page in qvl.1.gz quorvalen.1.gz; do
  grep -q " ./usr/share/man/man1/$page\$" <<<"$contents" || Fail "the package has no $page"
done
if [ -e /usr/share/man/man1/qvl.1.gz ]; then
  [ "$(man -w qvl)" = /usr/share/man/man1/qvl.1.gz ] || Fail "man does not find qvl's page"
fi
bash -c 'source /usr/share/bash-completion/completions/qvl && complete -p qvl' >/dev/null ||
  Fail "the installed bash completion does not load"

$sudo apt-get remove -y quorvalen
[ ! -e /usr/bin/qvl ] || Fail "qvl is still there after apt-get remove"
echo "package_check.sh: $deb installs, runs and is removed"
