#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the setup.
# Idempotent: returns in about a second when everything is present.
set -euo pipefail

need=(g++-mingw-w64-i686 mingw-w64-tools libz-mingw-w64-dev wine wine32:i386 xvfb xauth
      dpkg-dev fonts-wine imagemagick cmake make googletest x11-utils unzip p7zip-full
      hyperfine xdotool python3)

missing=()
for p in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
echo "bootstrap: toolchain ready"
