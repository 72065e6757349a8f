# Shared by the rig's scripts: sets the environment of the private Wine prefix
# and brings up its wineserver and X display. Source it, then call rig_prepare;
# every rig_* function that can fail returns non-zero with the log's tail printed.
: "${HALVEX_RIG_DIR:?}"
export WINEPREFIX="$HALVEX_RIG_DIR/wineprefix"
# The build tree's target (cmake/rig.cmake) picks the Wine: 32-bit for i686,
# 64-bit for x86_64. The plain wine commands run the 32-bit loader whenever it
# is installed, so for 64-bit the rig puts wrappers of its own first on PATH
# (written by rig_prepare).
HALVEX_ARCH=$(cat "$HALVEX_RIG_DIR/arch" 2>/dev/null || echo i686)
if [ "$HALVEX_ARCH" = x86_64 ]; then
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  case ":$PATH:" in *":$HALVEX_RIG_DIR/bin:"*) ;; *) export PATH="$HALVEX_RIG_DIR/bin:$PATH" ;; esac
else
  export WINEARCH=win32
fi
# No debugger for a crashing test program: it ends at once with its fault
# printed, instead of hanging in winedbg until the test's time-out.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
export WINEDEBUG="${WINEDEBUG:--all}"
# The rig's clock runs in a zone with daylight saving that is not UTC, so that
# a program mixing local time and UTC gives itself away.
export TZ="${HALVEX_RIG_TZ:-Europe/Zagreb}"
export HALVEX_DISPLAY_FILE="$HALVEX_RIG_DIR/display"
HALVEX_RIG_LOG="$HALVEX_RIG_DIR/rig.log"
HALVEX_WINE_FONTS=${HALVEX_WINE_FONTS:-/usr/share/wine/fonts}

rig_netns() { readlink /proc/self/ns/net; }

# True when no interface but loopback is up: the rig's loopback-only namespace.
rig_isolated() {
  local n
  n=$(ip -o link show up 2>/dev/null | grep -vc ': lo:' || true)
  [ "$n" = 0 ]
}

rig_log() { echo "$(date '+%F %T %Z') [$$] $*" >> "$HALVEX_RIG_LOG"; }

# Prints what failed and the log's last lines to stderr; returns 1.
rig_fail() {
  echo "rig: $*; the last lines of $HALVEX_RIG_LOG:" >&2
  tail -n 25 "$HALVEX_RIG_LOG" >&2 2>/dev/null || true
  return 1
}

# Writes FILE with CONTENT unless it already holds exactly that: through a
# temporary file and a rename, so that no program ever runs a half-written one.
rig_write_once() {
  local file=$1 content=$2 mode=${3:-644}
  [ -f "$file" ] && [ "$(cat "$file")" = "$content" ] && return 0
  printf '%s\n' "$content" > "$file.tmp.$$" && chmod "$mode" "$file.tmp.$$" && mv -f "$file.tmp.$$" "$file"
}

rig_write_wrappers() {
  [ "$HALVEX_ARCH" = x86_64 ] || return 0
  mkdir -p "$HALVEX_RIG_DIR/bin"
  rig_write_once "$HALVEX_RIG_DIR/bin/wine" $'#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"' 755 &&
  rig_write_once "$HALVEX_RIG_DIR/bin/wineserver" $'#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"' 755 &&
  rig_write_once "$HALVEX_RIG_DIR/bin/wineboot" $'#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot "$@"' 755
}

rig_display_socket() { echo "/tmp/.X11-unix/X$1"; }

rig_start_xvfb() {
  local d pid
  # The demo shows its windows on the user's own display when it has one.
  if [ -n "${HALVEX_USE_DISPLAY:-}" ]; then export DISPLAY=$HALVEX_USE_DISPLAY; return 0; fi
  if [ -f "$HALVEX_DISPLAY_FILE" ]; then
    read -r d pid < "$HALVEX_DISPLAY_FILE" || true
    if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null && [ -S "$(rig_display_socket "$d")" ]; then
      export DISPLAY=":$d"; return 0
    fi
    rm -f "$HALVEX_DISPLAY_FILE"
  fi
  # A display number of its own for each rig folder, so that rigs do not clash.
  d=$(( 100 + $(printf '%s' "$HALVEX_RIG_DIR" | cksum | cut -d' ' -f1) % 800 ))
  while [ -e "$(rig_display_socket "$d")" ] || [ -e "/tmp/.X$d-lock" ]; do d=$((d + 1)); done
  rig_log "starting Xvfb :$d"
  setsid Xvfb ":$d" -screen 0 1280x1024x24 -nolisten tcp </dev/null >>"$HALVEX_RIG_LOG" 2>&1 &
  pid=$!
  for _ in $(seq 1 200); do
    [ -S "$(rig_display_socket "$d")" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  if ! [ -S "$(rig_display_socket "$d")" ] || ! kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    rig_fail "Xvfb :$d did not come up"
    return 1
  fi
  echo "$d $pid" > "$HALVEX_DISPLAY_FILE"
  export DISPLAY=":$d"
}

# What a prefix was made by: a prefix from another target or Wine is made anew.
rig_prefix_kind() { echo "$HALVEX_ARCH $("${WINELOADER:-wine}" --version 2>/dev/null)"; }

# The clean prefix every prefix of this build tree is copied from: made once
# by wineboot, with Wine's own fonts added (Wine does not find them by
# itself), checked before it is marked ready, and never run.
rig_make_template() {
  local base=${HALVEX_RIG_APART_OF:-$HALVEX_RIG_DIR} kind rc=0
  local template=$base/template
  kind=$(rig_prefix_kind)
  exec 8> "$base/.template-lock"
  flock 8
  if [ "$(cat "$template/.rig-ready" 2>/dev/null)" != "$kind" ]; then
    rig_log "creating the Wine prefix $template ($kind)"
    (
      if ! compgen -G "$HALVEX_WINE_FONTS/*.ttf" >/dev/null; then
        rig_fail "Wine's fonts are not in $HALVEX_WINE_FONTS (package fonts-wine): run bash scripts/setup.sh"; exit 1
      fi
      export WINEPREFIX=$template
      wineserver -k >/dev/null 2>&1 || true
      rm -rf "$template"
      wineboot -i </dev/null >>"$HALVEX_RIG_LOG" 2>&1 || { rig_fail "wineboot could not create $template"; exit 1; }
      wineserver -w </dev/null >>"$HALVEX_RIG_LOG" 2>&1 || true
      if ! [ -f "$template/system.reg" ] || ! [ -d "$template/drive_c/windows/system32" ]; then
        rig_fail "wineboot left no complete prefix in $template"; exit 1
      fi
      mkdir -p "$template/drive_c/windows/Fonts"
      cp -n "$HALVEX_WINE_FONTS"/*.ttf "$template/drive_c/windows/Fonts/" 2>>"$HALVEX_RIG_LOG" ||
        { rig_fail "Wine's fonts could not be copied into $template"; exit 1; }
      echo "$kind" > "$template/.rig-ready"
    ) || rc=1
  fi
  exec 8>&-
  return $rc
}

# This rig's prefix: a copy of the template. Program images and fonts, which
# nothing writes, are hard links (a prefix is some 700 MB); the registry and
# every other file are copies of their own.
rig_make_prefix() {
  local kind; kind=$(rig_prefix_kind)
  [ "$(cat "$WINEPREFIX/.rig-ready" 2>/dev/null)" = "$kind" ] && return 0
  rig_make_template || return 1
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  rig_log "copying the template prefix into $WINEPREFIX"
  python3 - "${HALVEX_RIG_APART_OF:-$HALVEX_RIG_DIR}/template" "$WINEPREFIX" 2>>"$HALVEX_RIG_LOG" <<'PY' ||
import os, shutil, sys
src, dst = sys.argv[1:3]
images = ('.dll', '.exe', '.drv', '.sys', '.ocx', '.cpl', '.acm', '.ax', '.tlb', '.ttf', '.fon', '.nls',
          '.dll16', '.exe16', '.mod', '.vxd', '.ds', '.tsp', '.msstyles')
def copy(s, d):
    if s.lower().endswith(images):
        os.link(s, d)
    else:
        shutil.copy2(s, d)
# "wineserver" is the running server's lock file of the template, not part of a prefix.
shutil.copytree(src, dst, symlinks=True, copy_function=copy, ignore=shutil.ignore_patterns('wineserver'))
PY
    { rig_fail "the template prefix could not be copied into $WINEPREFIX"; return 1; }
}

rig_prepare() {
  mkdir -p "$HALVEX_RIG_DIR" || return 1
  exec 9> "$HALVEX_RIG_DIR/.lock"
  flock 9
  if ! rig_write_wrappers || ! rig_start_xvfb || ! rig_make_prefix; then
    exec 9>&-
    return 1
  fi
  local ns; ns=$(rig_netns)
  if [ "$(cat "$HALVEX_RIG_DIR/.netns" 2>/dev/null)" != "$ns" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    echo "$ns" > "$HALVEX_RIG_DIR/.netns"
  fi
  # The wineserver and the services wineboot starts outlive this program: they
  # must not hold its output open, or ctest waits for them. A rig of its own
  # (scripts/rig-apart.sh) lets its wineserver end with its last program.
  # (It fails when the server runs already; wineboot below shows whether one does.)
  if [ -z "${HALVEX_RIG_APART_OF:-}" ]; then
    wineserver -p </dev/null >/dev/null 2>&1 || true
  fi
  if [ "$(cat "$HALVEX_RIG_DIR/.booted" 2>/dev/null)" != "$ns" ]; then
    rig_log "starting the prefix's services"
    if ! wineboot </dev/null >>"$HALVEX_RIG_LOG" 2>&1; then
      exec 9>&-
      rig_fail "wineboot could not start the prefix's services"
      return 1
    fi
    echo "$ns" > "$HALVEX_RIG_DIR/.booted"
  fi
  flock -u 9
  exec 9>&-
}

rig_stop() {
  local d pid
  wineserver -k 2>/dev/null || true
  if [ -f "$HALVEX_DISPLAY_FILE" ]; then
    read -r d pid < "$HALVEX_DISPLAY_FILE" || true
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
    rm -f "$HALVEX_DISPLAY_FILE"
  fi
  rm -f "$HALVEX_RIG_DIR/.netns" "$HALVEX_RIG_DIR/.booted"
}
