#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test the setup.
# Idempotent: returns in about a second when everything is present.
set -euo pipefail

# Shipped programs are 32-bit (i686). The tests run them under 32-bit Wine
# (wine32, below) and run their 64-bit twins (x86-64) under 64-bit Wine.
need=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev wine wine64 xvfb xauth
      dpkg-dev fonts-wine imagemagick cmake make googletest x11-utils unzip p7zip-full
      hyperfine xdotool python3 osslsigncode openssl python3-jsonschema python3-yaml nsis)

sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
missing=()
for p in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap: installing ${missing[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
bash "$(dirname "$0")/bootstrap-wine32.sh" || true
echo "bootstrap: toolchain ready"
