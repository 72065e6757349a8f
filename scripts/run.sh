#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs Halvex under Wine
# against simulated controllers (scripts/run-demo.sh), inside a loopback-only
# network namespace of its own. Ctrl-C stops it through the server's Exit.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
BUILD_DIR=$build bash "$root/scripts/build.sh"
exec bash "$root/scripts/in-rig-netns.sh" bash "$root/scripts/run-demo.sh" "$build"
