#!/usr/bin/env bash
# The demo, inside its loopback-only network namespace (scripts/run.sh starts
# it there): simulated controllers on virtual COM ports, a feeder producing
# registrations, and Halvex.exe under Wine serving them from build/demo/server.
# Ctrl-C (or SIGTERM) stops the server through its own Exit command, so that
# it writes its settings back, then stops the simulator.
#   run-demo.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
demo=${HALVEX_DEMO_DIR:-$build/demo}
server_dir=$demo/server
tcp_port=65000
mkdir -p "$server_dir"

# A Wine prefix of the demo's own, apart from the tests' one.
export HALVEX_RIG_DIR=$demo/rig
mkdir -p "$HALVEX_RIG_DIR"
cp "$build/rig/arch" "$HALVEX_RIG_DIR/arch"
display_socket=/tmp/.X11-unix/X$(printf '%s' "${DISPLAY:-}" | sed -n 's/^\(unix\)\{0,1\}:\([0-9]*\).*/\2/p')
if [ -n "${DISPLAY:-}" ] && [ -S "$display_socket" ]; then
  export HALVEX_USE_DISPLAY=$DISPLAY
  echo "demo: showing Halvex on your display $DISPLAY"
else
  echo "demo: no local X display: running headless under Xvfb (a screenshot of the window is saved)"
  headless=1
fi
. "$root/scripts/rig-env.sh"
echo "demo: preparing the Wine prefix in $WINEPREFIX"
rig_prepare || exit 1

sim_pid= feed_pid= server_pid=
work=$(mktemp -d "${TMPDIR:-/tmp}/halvex-demo.XXXXXX")
stop_all() {
  trap - INT TERM EXIT
  # Finish the stop even when the terminal or a pipe reading us has gone.
  set +e
  trap '' PIPE
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    echo "demo: asking Halvex to exit"
    wine "$build/tests/demo/post_exit.exe" </dev/null || true
    for _ in $(seq 1 600); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$server_pid" 2>/dev/null; then
      echo "demo: Halvex did not end within 60 s; stopping it" >&2
      kill "$server_pid" 2>/dev/null || true
    else
      echo "demo: Halvex ended; its settings are in $server_dir/Halvex.ini"
    fi
  fi
  for pid in $feed_pid $sim_pid; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid in $feed_pid $sim_pid; do wait "$pid" 2>/dev/null || true; done
  rig_stop
  rm -rf "$work" "$demo/netns.pid"
}
trap stop_all EXIT
trap 'exit 0' INT TERM

# Two lines: controllers 1 and 2 on the first, 3 on the second. Children run
# in sessions of their own, so that Ctrl-C reaches only this script.
setsid python3 "$root/tests/sim/sim.py" --ports 2 --device 0:1 --device 0:2 --device 1:3 \
  --links "$WINEPREFIX/dosdevices" --owners "$HALVEX_RIG_DIR/sim-ports" --info "$work/info" \
  </dev/null >"$demo/sim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 600); do [ -f "$work/info" ] && break; kill -0 "$sim_pid" 2>/dev/null || break; sleep 0.05; done
[ -f "$work/info" ] || { echo "demo: the simulator did not start:" >&2; cat "$demo/sim.log" >&2; exit 1; }
IFS=, read -r com_a com_b < <(sed -n 's/^PORTS=//p' "$work/info")
control=$(sed -n 's/^CONTROL=//p' "$work/info")

cp "$build/server/app/Halvex.exe" "$server_dir/"
cat > "$server_dir/Halvex.ini" <<INI
[Controllers]
OnLine=1
Count=3
Controller0=1
CommPort0=$com_a
Name0=Main entrance
Controller1=2
CommPort1=$com_a
Name1=Staff door
Controller2=3
CommPort2=$com_b
Name2=Warehouse
[Misc]
TCPPort=$tcp_port
AutoSetTime=0
[Database]
UseBCDB=0
INI

setsid python3 "$root/tests/demo/feed.py" --control "$control" \
  --device "$com_a:1" --device "$com_a:2" --device "$com_b:3" </dev/null >"$demo/feed.log" 2>&1 &
feed_pid=$!

# The DTR shim lets the server raise DTR on the virtual ports (ptys have none).
(cd "$server_dir" && LD_PRELOAD="$build/dtrshim/\$LIB/libhalvexdtr.so" \
  exec setsid wine Halvex.exe </dev/null >"$demo/halvex.log" 2>&1) &
server_pid=$!
echo $$ > "$demo/netns.pid"
if [ -n "${headless:-}" ]; then
  shot=$demo/halvex_window.png
  if wine "$build/tests/demo/window_shot.exe" "Z:${shot//\//\\}" </dev/null >>"$demo/halvex.log" 2>&1; then
    echo "demo: screenshot of the Halvex window: $shot"
  else
    echo "demo: no screenshot of the Halvex window (see $demo/halvex.log)" >&2
  fi
fi

month_file() { echo "$server_dir/Halvex-$(date +%Y-%m).regQv"; }
cat <<TXT
demo: Halvex serves controllers 1 and 2 on COM$com_a and 3 on COM$com_b (simulated);
      a registration arrives every 2 s; the TCP command port is $tcp_port.
demo: from another terminal:  bash scripts/demo-client.sh $com_a 1 ST
demo: press Ctrl-C to stop (Halvex exits through its own Exit command).
TXT
last=-1
while kill -0 "$server_pid" 2>/dev/null; do
  # No file before the first registration: 0, without a word.
  lines=$( { wc -l < "$(month_file)"; } 2>/dev/null || echo 0)
  rows=$((lines > 0 ? lines - 1 : 0)) # less the header line
  if [ "$rows" != "$last" ]; then
    echo "demo: $(date +%T) $(basename "$(month_file)") holds $rows registrations"
    last=$rows
  fi
  sleep 5
done
echo "demo: Halvex has ended"
