#!/usr/bin/env bash
# Produces the SQLite amalgamation (sqlite3.c, sqlite3.h) in $1 from Debian's own
# source package (called by setup.sh; needs a deb-src entry, dpkg-dev and tcl).
# The result is cached: a second call with the files present does nothing.
set -euo pipefail
out=$1
[ -f "$out/sqlite3.c" ] && [ -f "$out/sqlite3.h" ] && exit 0
work="$out/src"
rm -rf "$work"; mkdir -p "$work"
cd "$work"
apt-get source -qq --download-only sqlite3 >/dev/null
dpkg-source -x --no-check ./sqlite3_*.dsc tree >/dev/null
mkdir -p build && cd build
env -u CC -u CXX -u CFLAGS -u LDFLAGS CC=gcc ../tree/configure --disable-tcl --disable-readline >/dev/null
make -s sqlite3.c >/dev/null
# Into place together, so that a broken run leaves no half of it.
cp sqlite3.c sqlite3.h "$work/"
mv "$work/sqlite3.h" "$out/" && mv "$work/sqlite3.c" "$out/"
cd "$out" && rm -rf "$work"
