#!/usr/bin/env bash
# Runs a command in a network namespace of its own with only loopback up, so that
# nothing a test or the demo does can reach any address but loopback.
set -euo pipefail
if [ "${HALVEX_IN_RIG_NETNS:-}" = 1 ]; then exec "$@"; fi
exec unshare -n -- env HALVEX_IN_RIG_NETNS=1 bash -c 'ip link set lo up && exec "$@"' rig "$@"
