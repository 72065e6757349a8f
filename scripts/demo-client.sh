#!/usr/bin/env bash
# Sends one command to the running demo's Halvex over TCP, as a client program
# would, and prints the server's answer:
#   demo-client.sh COM ID CMD [ARG1 ARG2]
# e.g. "demo-client.sh 5 1 ST" (status of controller 1 on COM5). The command
# runs inside the demo's loopback-only network namespace; answers to the
# client tag used here arrive on a new connection to port 65002.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
[ $# -ge 3 ] || { echo "usage: demo-client.sh COM ID CMD [ARG1 ARG2]" >&2; exit 2; }
pid=$(cat "${HALVEX_DEMO_DIR:-$build/demo}/netns.pid" 2>/dev/null || true)
if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then
  echo "demo-client: the demo is not running (start it with: bash scripts/run.sh)" >&2
  exit 1
fi
frame=$(printf 'VeTr 1 0000000 Ob21 %d %d %s %d %d VTEnd' "$1" "$2" "$3" "${4:-0}" "${5:-0}")
exec bash "$root/scripts/in-rig-netns.sh" --join "$pid" python3 - "$frame" <<'PY'
import socket, sys
frame = sys.argv[1]
answers = socket.socket()
answers.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
answers.bind(("127.0.0.1", 65002))
answers.listen(1)
with socket.create_connection(("127.0.0.1", 65000)) as s:
    s.sendall(frame.encode())
print("sent:   ", frame)
answers.settimeout(30)
try:
    conn, _ = answers.accept()
except socket.timeout:
    sys.exit("demo-client: no answer within 30 s")
data = b""
conn.settimeout(5)
while True:
    chunk = conn.recv(4096)
    if not chunk:
        break
    data += chunk
print("answer: ", data.decode("ascii", "replace"))
PY
