#!/usr/bin/env bash
# Makes the shipped 32-bit programs runnable under 32-bit Wine (wine32:i386).
# Where the machine executes no 32-bit code (a kernel booted without 32-bit
# user mode, as some of ours are), the 32-bit Wine loader runs under qemu-i386's user-mode emulation,
# registered for i386 ELF executables through binfmt_misc. qemu 7.2 (Debian
# 12's own) hangs in Wine's loader, so the qemu-i386 binary of bookworm-
# backports' qemu-user is taken, unpacked into the cache, not installed.
#
# Idempotent. PX_WINE32_EMULATE=1 takes the emulation even where the kernel
# runs 32-bit code itself (to reproduce a machine that does not). When 32-bit
# Wine cannot be had, wine32 is removed again (the
# "wine" command would pick it and fail) and the 32-bit tests report that
# they were skipped; exit code 1 then.
set -uo pipefail
cache=${PX_DEPS_CACHE:-$HOME/.cache/pixolum-setup}
qemu=$cache/qemu/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
sudo_cmd=""
[ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
apt_quiet() { DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get "$@" >/dev/null; }

wine32_runs() { [ -x /usr/lib/wine/wine ] && timeout 60 /usr/lib/wine/wine --version >/dev/null 2>&1; }

if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
  echo "bootstrap: installing wine32:i386"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo_cmd dpkg --add-architecture i386
  fi
  apt_quiet update -qq && apt_quiet install -y -qq --no-install-recommends wine32:i386 ||
    { echo "bootstrap: wine32:i386 could not be installed: the 32-bit tests will be skipped"; exit 1; }
fi
[ "${PX_WINE32_EMULATE:-0}" != 1 ] && wine32_runs && exit 0

# qemu-i386 of version 8 or later, from bookworm-backports, with apt's own
# lists in the cache so that the machine's sources stay as they are.
if [ ! -x "$qemu" ] || ! "$qemu" --version 2>/dev/null | grep -Eq 'version ([89]|[1-9][0-9])\.'; then
  echo "bootstrap: fetching qemu-i386 from bookworm-backports"
  apt_dir=$cache/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" "$cache/qemu"
  uri=$(sed -n 's/^URIs: *\(.*debian\/*\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n1)
  echo "deb ${uri:-http://deb.debian.org/debian} bookworm-backports main" >"$apt_dir/sources.list"
  opts=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/parts"
        -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache" -o APT::Sandbox::User=root)
  unpack=$(mktemp -d)
  if apt-get "${opts[@]}" update -qq >/dev/null 2>&1 &&
     (cd "$unpack" && apt-get "${opts[@]}" download -qq qemu-user >/dev/null 2>&1) &&
     dpkg -x "$unpack"/qemu-user_*.deb "$unpack/x" && [ -x "$unpack/x/usr/bin/qemu-i386" ]; then
    cp "$unpack/x/usr/bin/qemu-i386" "$qemu.new" && mv "$qemu.new" "$qemu"
  fi
  rm -rf "$unpack"
fi

if [ -x "$qemu" ]; then
  [ -e "$binfmt/register" ] || $sudo_cmd mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null
  if [ -e "$binfmt/register" ]; then
    # An older entry for i386 (say Debian's qemu 7.2) gives way to ours.
    [ -e "$binfmt/qemu-i386" ] && echo -1 | $sudo_cmd tee "$binfmt/qemu-i386" >/dev/null
    # F: the interpreter is opened now, so it is found from any mount
    # namespace; P: argv[0] stays as given, which Wine's loader needs.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    echo ":qemu-i386:M::$magic:$mask:$qemu:FP" | $sudo_cmd tee "$binfmt/register" >/dev/null
  fi
fi

if wine32_runs; then
  echo "bootstrap: 32-bit Wine runs under qemu-i386 ($("$qemu" --version | head -n1 | awk '{print $3}'))"
  exit 0
fi
echo "bootstrap: 32-bit Wine cannot run here: removing wine32; the 32-bit tests will be skipped"
apt_quiet remove -y -qq wine32:i386
exit 1
