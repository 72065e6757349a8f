#!/usr/bin/env bash
# Installs, idempotently, what a fresh Debian 12 machine lacks to build the
# Windows programs, run their tests under Wine and run the demo, and makes the
# SQLite amalgamation the build compiles (in .deps/sqlite of this tree).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

need_root() { if [ "$(id -u)" -ne 0 ]; then echo "sudo"; fi; }
SUDO=$(need_root)

# Each one is used: the build (cmake, ninja, the MinGW compilers, googletest;
# make, tcl and dpkg-dev make the SQLite amalgamation; gcc-multilib the test
# shims), the rig (Wine, Xvfb; python3 runs the simulators and stand-ins; the
# ODBC driver manager and FreeTDS the reporting-database chain; iproute2 and
# util-linux the namespace, flock and setpriv; tzdata the rig's time zone;
# fonts-wine the prefix's Tahoma and Marlett; fonts-liberation gives "Arial"
# its metrics) and the demo (the same).
packages=(
  cmake make ninja-build g++-mingw-w64-i686 mingw-w64-i686-dev googletest
  tcl dpkg-dev gcc-multilib
  wine wine32:i386 fonts-wine xvfb python3
  libodbc2:i386 libodbcinst2:i386 tdsodbc:i386
  iproute2 util-linux tzdata fonts-liberation
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  stale=1
fi

# deb-src for the suite, so that SQLite's own source package can be fetched.
if ! grep -rqs -E '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null; then
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' "$suite" \
    | $SUDO tee /etc/apt/sources.list.d/halvex-src.sources >/dev/null
  stale=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ -n "${stale:-}" ]; then
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# A kernel without 32-bit support cannot run 32-bit Wine: the rig then tests
# the 64-bit build of the same sources under 64-bit Wine (scripts/rig-arch.sh).
if [ "$(bash "$root/scripts/rig-arch.sh" --kernel)" = x86_64 ]; then
  # unixodbc itself (the tools) is one architecture only: installing the
  # amd64 one would remove the i386 one and the next run would swap them
  # back. The 64-bit chain needs only the driver manager's libraries.
  packages64=(wine64 g++-mingw-w64-x86-64 mingw-w64-x86-64-dev libodbc2:amd64 libodbcinst2:amd64
              tdsodbc:amd64)
  missing=()
  for p in "${packages64[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: this kernel runs no 32-bit programs; installing ${missing[*]} for the 64-bit test rig"
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
echo "setup: all packages present"
if ! bash "$root/scripts/fetch-sqlite.sh" "$root/.deps/sqlite" 2>/dev/null; then
  # The source lists may predate the deb-src entry.
  $SUDO apt-get -o DPkg::Lock::Timeout=600 update -qq
  bash "$root/scripts/fetch-sqlite.sh" "$root/.deps/sqlite"
fi
echo "setup: the SQLite amalgamation is in $root/.deps/sqlite"
