#!/usr/bin/env bash
# Produces the SQLite amalgamation (sqlite3.c, sqlite3.h) in $1 from Debian's own
# source package. The result is cached: a second call with the files present
# does nothing.
set -euo pipefail
out=$1
[ -f "$out/sqlite3.c" ] && [ -f "$out/sqlite3.h" ] && exit 0
work="$out/src"
rm -rf "$work"; mkdir -p "$work"
cd "$work"
apt-get source -qq --download-only sqlite3 >/dev/null 2>&1 || { apt-get update -qq && apt-get source -qq --download-only sqlite3 >/dev/null; }
dpkg-source -x --no-check ./sqlite3_*.dsc tree >/dev/null
mkdir -p build && cd build
env -u CC -u CXX -u CFLAGS -u LDFLAGS CC=gcc ../tree/configure --disable-tcl --disable-readline >/dev/null
make -s sqlite3.c >/dev/null
cp sqlite3.c sqlite3.h "$out/"
cd "$out" && rm -rf "$work"
