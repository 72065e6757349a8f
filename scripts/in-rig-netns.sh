#!/usr/bin/env bash
# Runs a command in a network namespace with only loopback up, so that nothing
# a test or the demo does can reach any address but loopback:
#   in-rig-netns.sh CMD...             a new namespace (none inside the rig's own)
#   in-rig-netns.sh --fresh CMD...     a new namespace even inside one
#   in-rig-netns.sh --join PID CMD...  the namespace of process PID
# A namespace takes privileges: root enters it directly; any other user enters
# it inside a user namespace of its own (where it is root just long enough to
# bring loopback up), or, where the kernel allows none, through sudo; either
# way CMD runs as that user again (Wine keeps its server folders by user id:
# as root it would meet the real root's).
set -euo pipefail
mode=new target=
case "${1:-}" in
  --fresh) mode=fresh; shift ;;
  --join) mode=join; target=${2:?"--join needs a process id"}; shift 2 ;;
esac
[ $# -gt 0 ] || { echo "usage: in-rig-netns.sh [--fresh | --join PID] CMD..." >&2; exit 2; }
if [ "$mode" = new ] && [ "${HALVEX_IN_RIG_NETNS:-}" = 1 ]; then exec "$@"; fi

if [ "$mode" = join ]; then
  kill -0 "$target" 2>/dev/null || { echo "in-rig-netns: no process $target" >&2; exit 1; }
  # Already there (a test of the demo runs in the demo's namespace).
  if [ "$(readlink "/proc/$target/ns/net")" = "$(readlink /proc/self/ns/net)" ]; then exec "$@"; fi
  enter=(nsenter -t "$target" -n --)
  up=':'
else
  enter=(unshare -n --)
  up='ip link set lo up'
fi
if [ "$(id -u)" = 0 ]; then
  exec "${enter[@]}" env HALVEX_IN_RIG_NETNS=1 bash -c "$up"' && exec "$@"' rig "$@"
fi
if [ "$mode" = join ]; then
  # The network namespace belongs to the user namespace it was made in (below
  # the one the user runs in again), whose holder is the target's parent;
  # sudo made it where neither differs from ours.
  holder=$(awk '{print $4}' "/proc/$target/stat")
  if [ "$(readlink "/proc/$holder/ns/net")" != "$(readlink "/proc/$target/ns/net")" ]; then holder=$target; fi
  if [ "$(readlink "/proc/$holder/ns/user")" != "$(readlink /proc/self/ns/user)" ]; then
    exec nsenter -t "$target" -n --user="/proc/$holder/ns/user" --preserve-credentials -- env HALVEX_IN_RIG_NETNS=1 "$@"
  fi
elif unshare -U -r true 2>/dev/null; then
  exec unshare -U -r -n -- env HALVEX_IN_RIG_NETNS=1 \
    bash -c "$up"' || exit 1; rc=0; unshare -U --map-user="$1" --map-group="$2" -- "${@:3}" || rc=$?; exit $rc' \
    rig "$(id -u)" "$(id -g)" "$@"
fi
if ! sudo -n true 2>/dev/null; then
  echo "in-rig-netns: entering a network namespace needs root, user namespaces (sysctl" \
       "user.max_user_namespaces above 0) or sudo without a password prompt" >&2
  exit 1
fi
# sudo resets the environment: it is handed on as it stands.
exec sudo -n -E "${enter[@]}" env PATH="$PATH" HOME="$HOME" USER="${USER:-}" HALVEX_IN_RIG_NETNS=1 \
  bash -c "$up"' && exec setpriv --reuid="$1" --regid="$2" --init-groups -- "${@:3}"' rig "$(id -u)" "$(id -g)" "$@"
