# Shared by the rig's scripts: sets the environment of the private Wine prefix
# and brings up its wineserver and X display. Source it, then call rig_prepare.
: "${HALVEX_RIG_DIR:?}"
export WINEPREFIX="$HALVEX_RIG_DIR/wineprefix"
# The build tree's target (cmake/rig.cmake) picks the Wine: 32-bit for i686,
# 64-bit for x86_64. The plain wine commands run the 32-bit loader whenever it
# is installed, so for 64-bit the rig puts wrappers of its own first on PATH.
HALVEX_ARCH=$(cat "$HALVEX_RIG_DIR/arch" 2>/dev/null || echo i686)
if [ "$HALVEX_ARCH" = x86_64 ]; then
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  mkdir -p "$HALVEX_RIG_DIR/bin"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$HALVEX_RIG_DIR/bin/wine"
  printf '#!/bin/sh\nexec /usr/lib/wine/wineserver64 "$@"\n' > "$HALVEX_RIG_DIR/bin/wineserver"
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot "$@"\n' > "$HALVEX_RIG_DIR/bin/wineboot"
  chmod +x "$HALVEX_RIG_DIR/bin/wine" "$HALVEX_RIG_DIR/bin/wineserver" "$HALVEX_RIG_DIR/bin/wineboot"
  case ":$PATH:" in *":$HALVEX_RIG_DIR/bin:"*) ;; *) export PATH="$HALVEX_RIG_DIR/bin:$PATH" ;; esac
else
  export WINEARCH=win32
fi
# No debugger for a crashing test program: it ends at once with its fault
# printed, instead of hanging in winedbg until the test's time-out.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
export WINEDEBUG="${WINEDEBUG:--all}"
export HALVEX_DISPLAY_FILE="$HALVEX_RIG_DIR/display"

rig_netns() { readlink /proc/self/ns/net; }

# True when no interface but loopback is up: the rig's loopback-only namespace.
rig_isolated() {
  local n
  n=$(ip -o link show up 2>/dev/null | grep -vc ': lo:' || true)
  [ "$n" = 0 ]
}

rig_start_xvfb() {
  local d pid
  # The demo shows its windows on the user's own display when it has one.
  if [ -n "${HALVEX_USE_DISPLAY:-}" ]; then export DISPLAY=$HALVEX_USE_DISPLAY; return; fi
  if [ -f "$HALVEX_DISPLAY_FILE" ]; then
    read -r d pid < "$HALVEX_DISPLAY_FILE" || true
    if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then export DISPLAY=":$d"; return; fi
  fi
  # A display number of its own for each build tree, so that trees do not clash.
  d=$(( 100 + $(printf '%s' "$HALVEX_RIG_DIR" | cksum | cut -d' ' -f1) % 800 ))
  while [ -e "/tmp/.X11-unix/X$d" ] || [ -e "/tmp/.X$d-lock" ]; do d=$((d + 1)); done
  setsid Xvfb ":$d" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
  pid=$!
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$d" ] && break; sleep 0.05; done
  echo "$d $pid" > "$HALVEX_DISPLAY_FILE"
  export DISPLAY=":$d"
}

rig_prepare() {
  mkdir -p "$HALVEX_RIG_DIR"
  exec 9> "$HALVEX_RIG_DIR/.lock"
  flock 9
  rig_start_xvfb
  if [ "$(cat "$WINEPREFIX/.rig-ready" 2>/dev/null)" != "$HALVEX_ARCH" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    echo "$HALVEX_ARCH" > "$WINEPREFIX/.rig-ready"
  fi
  local ns; ns=$(rig_netns)
  if [ "$(cat "$HALVEX_RIG_DIR/.netns" 2>/dev/null)" != "$ns" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    echo "$ns" > "$HALVEX_RIG_DIR/.netns"
  fi
  # The wineserver and the services wineboot starts outlive this program: they
  # must not hold its output open, or ctest waits for them.
  wineserver -p </dev/null >/dev/null 2>&1 || true
  if [ "$(cat "$HALVEX_RIG_DIR/.booted" 2>/dev/null)" != "$ns" ]; then
    wineboot </dev/null >/dev/null 2>&1 || true
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
