#!/usr/bin/env bash
# package-metadata-test.sh <build folder> <source folder> <version>: builds the Debian package
# and checks it with the tools Debian uses: lintian, desktop-file-validate, appstreamcli.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
# shellcheck source=program-lib.sh
source "$here/program-lib.sh"
build=$(realpath "$1")
source_dir=$(realpath "$2")
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/out"
deb=$(make_package "$build" "$work/out")
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || { echo "the package is not $version" >&2; exit 1; }
dpkg -x "$deb" "$work/root"

desktop-file-validate "$work/root/usr/share/applications/quorvane.desktop"

metainfo=("$work"/root/usr/share/metainfo/*.metainfo.xml)
[ -f "${metainfo[0]}" ] || { echo "no metainfo in the package" >&2; exit 1; }
appstreamcli validate --no-net --explain "${metainfo[0]}"
grep -q "<release version=\"$version\"" "${metainfo[0]}" || {
  echo "the metainfo's release is not $version" >&2; exit 1; }
# The screenshot is a file of the repository, named by its path after the files' web address.
url=$(sed -n 's:.*<image[^>]*>\(.*\)</image>.*:\1:p' "${metainfo[0]}")
found=
path=$url
while [[ "$path" == */* ]]; do
  path=${path#*/}
  [ -f "$source_dir/$path" ] && { found=$path; break; }
done
[ -n "$found" ] || { echo "the screenshot $url is no file of the repository" >&2; exit 1; }
[ "$(head -c 8 "$source_dir/$found" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || {
  echo "the screenshot $found is no PNG" >&2; exit 1; }

# Lintian fails on errors; its warnings are printed for the reader.
lintian --fail-on error --display-info "$deb"
echo "$(basename "$deb"): lintian, desktop-file-validate and appstreamcli pass"
