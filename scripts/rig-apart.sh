# Sourced first by every launcher of a test program (wine-run.sh and the
# tests' with-*.sh): when HALVEX_RIG_APART names the test, the launcher runs
# again in a rig of its own, and everything it starts with it:
#  - a network namespace of its own with only loopback up (its TCP ports);
#  - a Wine prefix of its own, copied from the rig's template, so a wineserver
#    of its own (its named objects, registry and desktop, with the foreground
#    window and the keyboard focus);
#  - an Xvfb display of its own (its screen, for screenshots).
# So programs that open windows or start the server run side by side. The
# rig of its own is build/rig/apart/NAME; its wineserver and display are
# stopped when the launcher ends, and its prefix is removed.
if [ -n "${HALVEX_RIG_APART:-}" ] && [ -z "${HALVEX_RIG_APART_OF:-}" ]; then
  : "${HALVEX_RIG_DIR:?HALVEX_RIG_DIR must name the rig folder of a build tree}"
  case "$HALVEX_RIG_APART" in
    *[!A-Za-z0-9_.-]*) echo "rig-apart: unusable rig name '$HALVEX_RIG_APART'" >&2; exit 2 ;;
  esac
  _apart_scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  _apart_dir=$HALVEX_RIG_DIR/apart/$HALVEX_RIG_APART
  # What a killed run of the same program left running goes first.
  if [ -f "$_apart_dir/arch" ]; then
    (HALVEX_RIG_DIR=$_apart_dir HALVEX_RIG_APART_OF=$HALVEX_RIG_DIR; . "$_apart_scripts/rig-env.sh"; rig_stop)
  fi
  rm -rf "$_apart_dir"
  mkdir -p "$_apart_dir"
  cp "$HALVEX_RIG_DIR/arch" "$_apart_dir/arch"
  printf '#!/usr/bin/env bash\nexport HALVEX_RIG_DIR=%q\nexec bash %q "$@"\n' "$_apart_dir" "$_apart_scripts/wine-run.sh" \
    > "$_apart_dir/wine-run"
  chmod +x "$_apart_dir/wine-run"
  _apart_rc=0
  HALVEX_RIG_APART_OF=$HALVEX_RIG_DIR HALVEX_RIG_DIR=$_apart_dir \
    bash "$_apart_scripts/in-rig-netns.sh" --fresh bash -c '
      . "$0"
      trap rig_stop EXIT
      trap "exit 143" TERM
      trap "exit 130" INT
      script=$1; shift
      bash "$script" "$@"' "$_apart_scripts/rig-env.sh" "$0" "$@" || _apart_rc=$?
  rm -rf "$_apart_dir/wineprefix"
  exit $_apart_rc
fi
