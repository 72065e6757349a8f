#!/usr/bin/env bash
# The README's run command end to end (inside the test's namespace): the demo
# starts, registrations reach the monthly file, the example client command is
# answered, and SIGTERM stops the server through its Exit, which writes the
# settings back, and stops the simulator.
#   demo_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
root=$1 build=$2
export HALVEX_DEMO_DIR=$build/demo-test
rm -rf "$HALVEX_DEMO_DIR/server"
mkdir -p "$HALVEX_DEMO_DIR"
log=$HALVEX_DEMO_DIR/run.log
env -u DISPLAY bash "$root/scripts/run-demo.sh" "$build" >"$log" 2>&1 &
demo_pid=$!
fail() { echo "demo_test: $*" >&2; cat "$log" >&2; kill -TERM "$demo_pid" 2>/dev/null; wait "$demo_pid" 2>/dev/null; exit 1; }

month_file=$HALVEX_DEMO_DIR/server/Halvex-$(date +%Y-%m).regQv
for _ in $(seq 1 180); do
  [ "$(wc -l < "$month_file" 2>/dev/null || echo 0)" -ge 4 ] && break
  kill -0 "$demo_pid" 2>/dev/null || fail "the demo ended early"
  sleep 0.5
done
[ "$(wc -l < "$month_file" 2>/dev/null || echo 0)" -ge 4 ] || fail "no registrations reached $month_file"

com=$(sed -n 's/.*controllers 1 and 2 on COM\([0-9]*\).*/\1/p' "$log")
answer=$(bash "$root/scripts/demo-client.sh" "$com" 1 ST) || fail "the client command failed: $answer"
echo "$answer"
grep -q '^answer:  ST [0-9-]* [0-9:]* ' <<<"$answer" || fail "no status answer"

kill -TERM "$demo_pid"
wait "$demo_pid" || fail "the demo's stop failed"
cat "$log"
grep -q "Halvex ended" "$log" || fail "the server did not end through Exit"
# Before the first registration the count is 0, without a shell error.
! grep -q "No such file" "$log" || fail "the demo printed a file error"
ini=$HALVEX_DEMO_DIR/server/Halvex.ini
# Written back only by the server's own shutdown.
grep -qx 'CommandTimeOut=[0-9]*' <(tr -d '\r' < "$ini") || fail "the settings were not written back"
[ "$(tr -d '\r' < "$ini" | grep -cx 'Count=3')" = 1 ] || fail "the controllers were not written back"
! pgrep -f "$HALVEX_DEMO_DIR/rig/sim-ports" >/dev/null || fail "the simulator still runs"
echo "demo_test: passed"
