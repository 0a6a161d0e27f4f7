# Wine environment for running and testing the Windows programs on Linux. Source it, then:
#   wine_env_init BUILD_DIR   exports WINEPREFIX and friends (private prefix under BUILD_DIR)
#   wine_up                   starts Xvfb (unless $DISPLAY is usable and ROLLCALL_USE_DISPLAY=1;
#                             its screen 1024x768, or ROLLCALL_SCREEN, e.g. 2048x1024),
#                             creates the prefix once, starts one persistent wineserver and a
#                             PulseAudio null sink when PulseAudio is installed
#   wine_run TIMEOUT PROG ARGS...   runs a Windows program; its exit code (mod 256) is returned
#   wine_down                 ends everything wine_up started (also installed as an EXIT trap)
# Every process started here is ended by its PID, also on failure or interrupt.

WINE_ENV_PIDS=()

wine_env_init() {
  local build=$1
  mkdir -p "$build"
  build=$(cd "$build" && pwd)
  export WINE_ENV_DIR=$build/wine
  mkdir -p "$WINE_ENV_DIR/xdg"
  chmod 700 "$WINE_ENV_DIR/xdg"
  export WINEPREFIX=$WINE_ENV_DIR/prefix
  export WINEARCH=win32
  export WINEDEBUG=-all
  # winedbg disabled: a program that faults ends at once (exit code 5) instead of leaving the
  # debugger hanging over it until the suite's timeout.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
  export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
  export XDG_RUNTIME_DIR=$WINE_ENV_DIR/xdg
  _wine_font_config
}

# Text must take the room it takes on Windows. The faces Windows has are stood in for by faces
# of the same metrics (see _wine_make_prefix); a face nobody has (the empty face name the
# program's plain units ask for, or one Windows lacks as well) falls back on Windows to the
# Song face of the code page, and Wine falls back on fontconfig's first choice, which is made
# the same Song face here. That face carries hand-made bitmaps for its small sizes, as Windows'
# Song face does, and is drawn from them instead of smoothed outlines (thin strokes would come
# out grey). Wine's processes only: a configuration and a font cache of their own.
_wine_font_config() {
  local conf=$WINE_ENV_DIR/fonts.conf
  local want
  want=$(cat <<XML
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
  <cachedir>$WINE_ENV_DIR/fontconfig</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
  <alias binding="strong"><family>sans-serif</family><prefer><family>AR PL UMing CN</family></prefer></alias>
  <alias binding="strong"><family>serif</family><prefer><family>AR PL UMing CN</family></prefer></alias>
  <match target="scan">
    <test name="family" compare="contains"><string>AR PL UMing</string></test>
    <edit name="antialias" mode="assign"><bool>false</bool></edit>
  </match>
</fontconfig>
XML
)
  # The cache keeps what was found when the fonts were scanned: a changed configuration
  # starts a new one.
  if [ "$(cat "$conf" 2>/dev/null)" != "$want" ]; then
    printf '%s\n' "$want" >"$conf"
    rm -rf "$WINE_ENV_DIR/fontconfig"
  fi
  export FONTCONFIG_FILE=$conf
}

# Faces of Windows and the installed faces with their metrics (fonts-liberation2, fonts-arphic-uming,
# fonts-wqy-zenhei): Arial, Times New Roman and Courier New have metric-compatible twins; 宋体
# (SimSun) and 黑体 (SimHei) have faces of their style with the same half-width Latin letters.
WINE_FONT_REPLACEMENTS=(
  "Arial=Liberation Sans" "Times New Roman=Liberation Serif" "Courier New=Liberation Mono"
  "宋体=AR PL UMing CN" "SimSun=AR PL UMing CN" "新宋体=AR PL UMing CN" "NSimSun=AR PL UMing CN"
  "黑体=WenQuanYi Zen Hei Mono" "SimHei=WenQuanYi Zen Hei Mono"
)
# Part of the ready marker's name: a prefix made before a change of what is set up here is made
# again.
WINE_PREFIX_VERSION=2

_wine_env_log() { printf '[wine] %s\n' "$*" >&2; }

_wine_free_display() {
  local n
  for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      echo "$n"
      return 0
    fi
  done
  return 1
}

_wine_start_xvfb() {
  if [ "${ROLLCALL_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n tries
  for tries in 1 2 3; do
    n=$(_wine_free_display) || { _wine_env_log "no free X display"; return 1; }
    Xvfb ":$n" -screen 0 "${ROLLCALL_SCREEN:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
    local pid=$!
    local i
    for i in $(seq 1 100); do
      if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        WINE_ENV_PIDS+=("$pid")
        export DISPLAY=":$n"
        WINE_ENV_XVFB=$pid
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    kill "$pid" 2>/dev/null
  done
  _wine_env_log "Xvfb did not start"
  return 1
}

_wine_start_pulse() {
  command -v pulseaudio >/dev/null 2>&1 || return 0
  local sock=$WINE_ENV_DIR/pulse.sock
  rm -f "$sock"
  HOME=$WINE_ENV_DIR pulseaudio --daemonize=no --system=false --exit-idle-time=-1 --disallow-exit -n \
    --use-pid-file=false --disable-shm=true \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$sock" >/dev/null 2>&1 &
  local pid=$!
  WINE_ENV_PIDS+=("$pid")
  export PULSE_SERVER=unix:$sock
  local i
  for i in $(seq 1 100); do
    if pactl info >/dev/null 2>&1; then
      pactl load-module module-null-sink sink_name=testsink >/dev/null 2>&1 &&
        pactl set-default-sink testsink >/dev/null 2>&1
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  _wine_env_log "PulseAudio did not start; tests run without sound devices"
  unset PULSE_SERVER
  return 0
}

_wine_make_prefix() {
  [ -f "$WINEPREFIX/.rollcall-ready-$WINE_PREFIX_VERSION" ] && return 0
  _wine_env_log "creating Wine prefix (once)"
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # A virtual desktop: without a window manager every window close would cost about 2 s,
  # and Wine draws the frames itself.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  # Web addresses handed to the browser are appended to a file the tests read.
  cat >"$WINE_ENV_DIR/browser.sh" <<'SH'
#!/bin/sh
printf '%s\n' "$1" >> "${ROLLCALL_BROWSER_LOG:-/tmp/rollcall-browser.log}"
SH
  chmod +x "$WINE_ENV_DIR/browser.sh"
  wine reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$WINE_ENV_DIR/browser.sh" /f >/dev/null 2>&1
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  local pair
  for pair in "${WINE_FONT_REPLACEMENTS[@]}"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${pair%%=*}" /d "${pair#*=}" /f \
      >/dev/null 2>&1
  done
  wineserver -k 2>/dev/null || true
  wineserver -w
  touch "$WINEPREFIX/.rollcall-ready-$WINE_PREFIX_VERSION"
}

_wine_start_server() {
  # Debian's wrapper refuses a second persistent server; start one only when none runs.
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  wineserver -p
  local i
  # Several sessions may run Wine on one machine as the same user: only the server of this
  # prefix is ours to end later.
  for i in $(seq 1 50); do
    local pid
    for pid in $(pgrep -u "$(id -u)" -f "wineserver.*-p"); do
      if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
        WINE_ENV_PIDS+=("$pid")
        return 0
      fi
    done
    sleep 0.05
  done
  return 0
}

wine_up() {
  trap wine_down EXIT
  trap 'wine_down; exit 130' INT TERM
  export ROLLCALL_BROWSER_LOG=${ROLLCALL_BROWSER_LOG:-$WINE_ENV_DIR/browser.log}
  _wine_start_xvfb || return 1
  _wine_make_prefix
  _wine_start_pulse
  _wine_start_server
  # The first program start after a server start loads the prefix; pay that here.
  wine cmd /c exit 0 >/dev/null 2>&1 || true
}

wine_run() {
  local t=$1
  shift
  timeout --kill-after=5 "$t" wine "$@"
}

wine_down() {
  trap - EXIT INT TERM
  if [ -n "${WINEPREFIX:-}" ]; then
    wineserver -k 2>/dev/null || true
  fi
  local pid
  for pid in "${WINE_ENV_PIDS[@]:-}"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  done
  for pid in "${WINE_ENV_PIDS[@]:-}"; do
    [ -n "$pid" ] || continue
    local i
    for i in $(seq 1 40); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$pid" 2>/dev/null || true
  done
  WINE_ENV_PIDS=()
}
