#!/usr/bin/env bash
# Runs one Windows test program against the server stand-in fake_halvex.py:
#   with-fake-halvex.sh program.exe [args...]
# The program finds the stand-in's control channel in HALVEX_FAKE_CONTROL.
set -euo pipefail
: "${HALVEX_RIG_DIR:?HALVEX_RIG_DIR must name the rig folder of a build tree}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/../../scripts/rig-apart.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/halvex-fake.XXXXXX")
fake_pid=
cleanup() {
  if [ -n "$fake_pid" ]; then
    kill -TERM "$fake_pid" 2>/dev/null || true
    wait "$fake_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
python3 "$here/fake_halvex.py" --info "$work/info" </dev/null >"$work/fake.log" 2>&1 &
fake_pid=$!
for _ in $(seq 1 200); do
  [ -f "$work/info" ] && break
  kill -0 "$fake_pid" 2>/dev/null || break
  sleep 0.05
done
if [ ! -f "$work/info" ]; then
  echo "with-fake-halvex.sh: the stand-in did not start" >&2
  cat "$work/fake.log" >&2
  exit 1
fi
control=$(sed -n 's/^CONTROL=//p' "$work/info")
rc=0
HALVEX_FAKE_CONTROL=$control "$HALVEX_RIG_DIR/wine-run" "$@" || rc=$?
if [ "$rc" != 0 ]; then
  echo "with-fake-halvex.sh: program ended with $rc; stand-in log:" >&2
  cat "$work/fake.log" >&2
fi
exit $rc
