#!/usr/bin/env bash
# Runs ctest in the rig of a configured build tree ($BUILD_DIR, else ./build),
# inside a loopback-only network namespace of its own, and stops the rig's
# wineserver and X display when ctest ends, however it ends:
#   bash scripts/rig-ctest.sh -R NAME --output-on-failure
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${BUILD_DIR:-$root/build}" && pwd)
[ -f "$build/CTestTestfile.cmake" ] || { echo "rig-ctest: $build holds no tests: build it first (bash scripts/build.sh)" >&2; exit 1; }
export HALVEX_RIG_DIR=$build/rig
exec bash "$root/scripts/in-rig-netns.sh" bash -c '
  . "$0/scripts/rig-env.sh"
  trap rig_stop EXIT
  trap "exit 130" INT
  trap "exit 143" TERM
  cd "$1" && ctest "${@:2}"
' "$root" "$build" "$@"
