#!/usr/bin/env bash
# Runs one Windows test program against simulated controllers:
#   with-sim.sh --ports N [simulator args...] -- program.exe [args...]
# Allocates N virtual COM ports in the rig's Wine prefix, starts the simulator,
# runs the program under Wine with the DTR shim preloaded and the variables
# HALVEX_SIM_PORTS and HALVEX_SIM_CONTROL set, then stops the simulator (which
# removes its links). The program's exit code is the result.
set -euo pipefail
: "${HALVEX_RIG_DIR:?HALVEX_RIG_DIR must name the rig folder of a build tree}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/rig-apart.sh"
shim_dir=${HALVEX_DTR_SHIM_DIR:-}
sim_args=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  case "$1" in
    --shim-dir) shim_dir=$2; shift 2 ;;
    *) sim_args+=("$1"); shift ;;
  esac
done
[ "${1:-}" = "--" ] || { echo "with-sim.sh: missing -- before the program" >&2; exit 2; }
shift

. "$here/../../scripts/rig-env.sh"
rig_prepare

work=$(mktemp -d "${TMPDIR:-/tmp}/halvex-sim.XXXXXX")
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

python3 "$here/sim.py" --links "$WINEPREFIX/dosdevices" --owners "$HALVEX_RIG_DIR/sim-ports" \
  --info "$work/info" "${sim_args[@]}" </dev/null >"$work/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 600); do
  [ -f "$work/info" ] && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -f "$work/info" ]; then
  echo "with-sim.sh: the simulator did not start" >&2
  cat "$work/sim.log" >&2
  exit 1
fi
ports=$(sed -n 's/^PORTS=//p' "$work/info")
control=$(sed -n 's/^CONTROL=//p' "$work/info")
echo "with-sim.sh: COM ports $ports, control $control"

preload=
if [ -n "$shim_dir" ]; then
  # $LIB makes each process load the build of its own word size.
  preload="$shim_dir/\$LIB/libhalvexdtr.so${LD_PRELOAD:+:$LD_PRELOAD}"
fi
rc=0
HALVEX_SIM_PORTS=$ports HALVEX_SIM_CONTROL=$control WINEDLLOVERRIDES=$WINEDLLOVERRIDES \
  LD_PRELOAD=$preload "$HALVEX_RIG_DIR/wine-run" "$@" || rc=$?
if [ "$rc" != 0 ]; then
  echo "with-sim.sh: program ended with $rc; simulator log:" >&2
  cat "$work/sim.log" >&2
fi
exit $rc
