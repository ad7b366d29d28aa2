#!/usr/bin/env bash
# Fetches Debian's zlib source package (which carries contrib/minizip) into a
# cache folder, with apt's own source list and state so the machine's apt
# configuration stays untouched. Prints the unpacked source folder.
set -euo pipefail
cache=${1:?cache folder}
mkdir -p "$cache"
found=$(ls -d "$cache"/zlib-*/contrib/minizip 2>/dev/null | head -n1 || true)
if [ -n "$found" ]; then dirname "$(dirname "$found")"; exit 0; fi

uri=$(awk '/^URIs:/ && $2 ~ /\/debian\/?$/ {print $2; exit}' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
[ -n "$uri" ] || uri=$(awk '$1=="deb" && $2 ~ /\/debian\/?$/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
[ -n "$uri" ] || uri=http://deb.debian.org/debian
apt_dir="$cache/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
echo "deb-src $uri bookworm main" > "$apt_dir/sources.list"
opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
      -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=root")
apt-get "${opts[@]}" -qq update >&2
(cd "$cache" && apt-get "${opts[@]}" -qq source zlib >&2)
dirname "$(dirname "$(ls -d "$cache"/zlib-*/contrib/minizip | head -n1)")"
