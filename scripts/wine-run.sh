#!/usr/bin/env bash
# Runs one Windows program under Wine for the test rig.
#  - one private WINEPREFIX under $HALVEX_RIG_DIR, created once and reused;
#  - one persistent wineserver for the whole suite, restarted when the caller
#    is in another network namespace (sockets are made by the wineserver, so it
#    must live where the test's Linux-side peers live);
#  - one Xvfb display at 24 bits for programs that open windows.
# Nothing touches the user's ~/.wine.
set -euo pipefail
: "${HALVEX_RIG_DIR:?HALVEX_RIG_DIR must name the rig folder of a build tree}"
. "$(dirname "${BASH_SOURCE[0]}")/rig-env.sh"
rig_prepare
exec wine "$@"
