#!/usr/bin/env bash
# Fetches Debian's zlib source package (which carries contrib/minizip) into a
# cache folder, with apt's own source list and state so the machine's apt
# configuration stays untouched. Prints the unpacked source folder.
#
# Pinned: one version, and the SHA-256 of both of its archives (as the
# package's .dsc lists them); the sources are unpacked only from archives
# that match, and a cached copy is used only while its archives still match.
set -euo pipefail
cache=${1:?cache folder}
version=1.2.13.dfsg-1   # Debian version 1:1.2.13.dfsg-1 (bookworm), as libz-mingw-w64-dev
upstream=${version%-*}
declare -A sha256=(
  [zlib_${upstream}.orig.tar.bz2]=71feb7947e3c00ef125f83b79a4e529bde31171e5babe48b391f06758d1ab0a1
  [zlib_${version}.debian.tar.xz]=f66cf3d4f2d7defcd4d1fd1fb0a11ee39f1e01b42ec7d059c9dc5c1695133c44
)
source_dir="$cache/zlib-$upstream"
mkdir -p "$cache"

verified() {
  local file
  for file in "${!sha256[@]}"; do
    [ -f "$cache/$file" ] || return 1
    [ "$(sha256sum "$cache/$file" | cut -d' ' -f1)" = "${sha256[$file]}" ] || return 1
  done
}

if verified && [ -f "$source_dir/contrib/minizip/unzip.c" ]; then echo "$source_dir"; exit 0; fi

if ! verified; then
  uri=$(awk '/^URIs:/ && $2 ~ /\/debian\/?$/ {print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=$(awk '$1=="deb" && $2 ~ /\/debian\/?$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
  [ -n "$uri" ] || uri=http://deb.debian.org/debian
  apt_dir="$cache/apt"
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
  echo "deb-src $uri bookworm main" > "$apt_dir/sources.list"
  opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
        -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=root")
  apt-get "${opts[@]}" -qq update >&2
  (cd "$cache" && apt-get "${opts[@]}" -qq --download-only source "zlib=1:$version" >&2)
  if ! verified; then
    echo "zlib $version: the fetched archives do not match their pinned SHA-256" >&2
    exit 1
  fi
fi
rm -rf "$source_dir"
(cd "$cache" && dpkg-source --no-check -x "zlib_${version}.dsc" "zlib-$upstream" >&2)
echo "$source_dir"
