#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, and runs every test
# program under Wine inside a loopback-only network namespace.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bash "$root/scripts/setup.sh"
BUILD_DIR=$build bash "$root/scripts/build.sh"
if [ "$(bash "$root/scripts/rig-arch.sh")" = i686 ]; then
  echo "test: testing the i686 build under 32-bit Wine"
else
  # The tests run the 64-bit build here; the product's 32-bit build must
  # still compile and link.
  echo "test: this kernel runs no 32-bit programs: testing the x86_64 build under 64-bit Wine; building the i686 programs too"
  HALVEX_ARCH=i686 BUILD_DIR=$build-i686 bash "$root/scripts/build.sh"
fi
BUILD_DIR=$build exec bash "$root/scripts/rig-ctest.sh" --output-on-failure -j"${JOBS:-$(nproc)}" "$@"
