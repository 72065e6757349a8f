#!/usr/bin/env bash
# Configures and builds the Windows programs and tests into ./build (or $BUILD_DIR)
# for the target the rig can run here (scripts/rig-arch.sh; HALVEX_ARCH overrides).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
arch=$(bash "$root/scripts/rig-arch.sh")
# A tree configured for the other target starts afresh (the compilers differ).
if [ -f "$build/CMakeCache.txt" ] && ! grep -qx "HALVEX_ARCH:STRING=$arch" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHALVEX_ARCH="$arch" >/dev/null
cmake --build "$build" -j"${JOBS:-$(nproc)}" "$@"
