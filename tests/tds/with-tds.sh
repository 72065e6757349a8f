#!/usr/bin/env bash
# Runs one program against a fresh TDS stand-in:
#   with-tds.sh SHIM PROGRAM [ARGS...]
# Starts tds_standin.py on free loopback ports, writes an ODBC data source
# "HalvexTds" that reaches it through the driver shim SHIM, runs PROGRAM (a
# Windows .exe goes through $HALVEX_RIG_DIR/wine-run, anything else runs as
# it is), stops the stand-in and exits with PROGRAM's status. The program sees:
#   ODBCINI, ODBCSYSINI       the data source files
#   HALVEX_TDS_DSN            the data source name
#   HALVEX_TDS_CONTROL        host:port of the stand-in's control channel
#   HALVEX_TDS_USER/PASSWORD  what the shim logs in with
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/rig-apart.sh"
shim=$1; shift
[ -f "$shim" ] || { echo "with-tds: no driver shim at $shim" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/halvex-tds.XXXXXX")
standin_pid=
cleanup() {
  if [ -n "$standin_pid" ]; then kill "$standin_pid" 2>/dev/null || true; wait "$standin_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' TERM INT

python3 "$here/tds_standin.py" --port-file "$work/ports" 2> "$work/standin.log" &
standin_pid=$!
for _ in $(seq 1 200); do
  [ -f "$work/ports" ] && break
  kill -0 "$standin_pid" 2>/dev/null || { cat "$work/standin.log" >&2; exit 2; }
  sleep 0.05
done
read -r tds_port control_port < "$work/ports"

cat > "$work/odbc.ini" <<INI
[HalvexTds]
Driver = $shim
Server = 127.0.0.1
Port = $tds_port
TDS_Version = 7.3
Database = HalvexReports
INI
: > "$work/odbcinst.ini"

export ODBCINI="$work/odbc.ini" ODBCSYSINI="$work"
export HALVEX_TDS_DSN=HalvexTds HALVEX_TDS_CONTROL="127.0.0.1:$control_port"
export HALVEX_TDS_USER=halvex HALVEX_TDS_PASSWORD=Rig-Only-Secret

rc=0
case "$1" in
  *.exe) "${HALVEX_RIG_DIR:?HALVEX_RIG_DIR must name the rig folder}/wine-run" "$@" || rc=$? ;;
  *) "$@" || rc=$? ;;
esac
if [ "$rc" != 0 ]; then
  echo "--- TDS stand-in log ---" >&2
  cat "$work/standin.log" >&2
fi
exit "$rc"
