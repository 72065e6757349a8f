#!/usr/bin/env bash
# The rig's preparation fails loudly instead of recording what never came up:
# each case breaks one thing in a rig folder of its own and expects the step to
# fail with the rig log's tail, leaving nothing marked ready; and the rig's
# Wine wrappers are written once, not again each time the rig is prepared.
#   rig_prepare_test.sh SOURCE_DIR
set -uo pipefail
root=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/halvex-rigprep.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; failed=1; fi; }

# An X server that ends at once.
mkdir -p "$work/fakebin"
printf '#!/bin/sh\necho "Xvfb: cannot open the screen" >&2\nexit 1\n' > "$work/fakebin/Xvfb"
chmod +x "$work/fakebin/Xvfb"

run_case() { # NAME STEP SETUP: runs STEP in a fresh rig folder after SETUP
  local dir=$work/$1
  mkdir -p "$dir" && echo x86_64 > "$dir/arch"
  (export HALVEX_RIG_DIR=$dir; . "$root/scripts/rig-env.sh"; eval "$3"; $2) > "$dir/out" 2>&1
}

run_case xvfb rig_start_xvfb 'PATH=$work/fakebin:$PATH'
check "a display that never came up fails" 'grep -q "Xvfb :[0-9]* did not come up" "$work/xvfb/out"'
check "the failure shows the X server's own words" 'grep -q "cannot open the screen" "$work/xvfb/out"'
check "no display is recorded" '! [ -e "$work/xvfb/display" ]'

run_case fonts rig_make_template 'HALVEX_WINE_FONTS=$work/nofonts'
check "a prefix without Wine's fonts fails, naming setup" 'grep -q "fonts-wine.*setup" "$work/fonts/out"'
check "no prefix is marked ready" '! [ -e "$work/fonts/template/.rig-ready" ]'

run_case wrappers 'rig_write_wrappers' ''
first=$(stat -c "%i %.9Y" "$work/wrappers/bin/wine" 2>/dev/null)
run_case wrappers 'rig_write_wrappers' ''
check "the 64-bit wrappers are executable" '[ -x "$work/wrappers/bin/wine" ] && [ -x "$work/wrappers/bin/wineserver" ] && [ -x "$work/wrappers/bin/wineboot" ]'
check "a second preparation leaves them as they are" '[ -n "$first" ] && [ "$first" = "$(stat -c "%i %.9Y" "$work/wrappers/bin/wine")" ]'
exit $failed
