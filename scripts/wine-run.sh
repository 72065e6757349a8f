#!/usr/bin/env bash
# Runs one Windows program under Wine for the test rig.
#  - one private WINEPREFIX under $HALVEX_RIG_DIR, copied once from the rig's
#    template prefix and reused;
#  - one persistent wineserver for the whole suite, restarted when the caller
#    is in another network namespace (sockets are made by the wineserver, so it
#    must live where the test's Linux-side peers live);
#  - one Xvfb display at 24 bits for programs that open windows;
#  - only inside a network namespace with nothing but loopback up;
#  - with HALVEX_RIG_APART set, all of it of its own (scripts/rig-apart.sh).
# Nothing touches the user's ~/.wine.
set -euo pipefail
: "${HALVEX_RIG_DIR:?HALVEX_RIG_DIR must name the rig folder of a build tree}"
. "$(dirname "${BASH_SOURCE[0]}")/rig-apart.sh"
. "$(dirname "${BASH_SOURCE[0]}")/rig-env.sh"
# Test programs open TCP ports and resolve the host name: outside a namespace
# with only loopback up they could reach the machine's real network.
if ! rig_isolated; then
  echo "wine-run: run tests inside the rig's loopback-only network namespace: bash scripts/rig-ctest.sh ..." >&2
  exit 1
fi
rig_prepare || exit 1
exec wine "$@"
