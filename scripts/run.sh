#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs what the system can do
# so far under Wine, inside a loopback-only network namespace.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
BUILD_DIR=$build bash "$root/scripts/build.sh"
export HALVEX_RIG_DIR=$build/rig
exec bash "$root/scripts/in-rig-netns.sh" bash -c '
  . "$0/scripts/rig-env.sh"; rig_prepare; trap rig_stop EXIT
  wine "$1/tests/rig/rig_empty_test.exe"
' "$root" "$build"
