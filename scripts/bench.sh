#!/usr/bin/env bash
# Benchmarks of the real program under Wine, each figure beside a reference measured in the same
# run, written as a table to docs/benchmarks.md:
#   start-up      process start to the main window shown and idle (warm start: the class list
#                 and the skin library already beside the program), with the update server on
#                 loopback and with nothing listening; reference: a bare window with the same
#                 31 controls (tests/bench/reference_program.cpp --bare)
#   idle cost     CPU time over SECONDS with the start-up timers running, and with the name
#                 cycle running; reference: the same window and timers written straight on Win32
#   per tick      CPU per banner step and per name-cycle tick, derived from the idle runs; the
#                 area each banner step repaints, from a hook inside the program
#   unseen        the program minimised and wholly covered: CPU and the timer messages its
#                 thread takes (counted by a hook inside it), beside each idle row too
#   memory        working set, private bytes, windows and GDI slots after start and after a
#                 lesson of cycling, banner, clock and panel slides
#   size          the program file and its parts, test build and release build
#   at 192 DPI    start-up and idle cost of the program with the display at 200 % (the
#                 prefix's LogPixels) and at 96 DPI in turns in the same step, as ratios
# Timings are never judged here: the table states each goal and whether it was met.
# Usage: scripts/bench.sh [--runs N] [--seconds S] [--memory-minutes M | --full]
#                         [--no-build] [--no-release] [--out FILE] [--before FILE]
#                         [--before-rev REV] [--only dpi]
#   --runs N            repetitions of each timed figure (default 5; the median is reported)
#   --seconds S         length of each CPU measurement (default 30)
#   --memory-minutes M  length of the lesson of the memory run (default 2; --full: 10)
#   --no-build          use what is built; --no-release skips the release build (size only)
#   --before FILE       the results.tsv of an earlier run: the table gets a before-and-after part
#   --before-rev REV    the program built from git revision REV runs in the same idle rounds as
#                       this one, beside the same reference: before and after in one run
#   --only dpi          measures the rows at 192 DPI alone (a few minutes) and puts them into
#                       the report in place of those it has, leaving its other rows as they are
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ROLLCALL_BUILD:-$ROOT/build}
RUNS=5
SECONDS_IDLE=30
MEMORY_MINUTES=2
DO_BUILD=1
DO_RELEASE=1
OUT=$ROOT/docs/benchmarks.md
BEFORE=""
BEFORE_REV=""
ONLY=""
while [ $# -gt 0 ]; do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --seconds) SECONDS_IDLE=$2; shift 2 ;;
    --memory-minutes) MEMORY_MINUTES=$2; shift 2 ;;  # may be fractional
    --full) MEMORY_MINUTES=10; shift ;;
    --no-build) DO_BUILD=0; shift ;;
    --no-release) DO_RELEASE=0; shift ;;
    --out) OUT=$2; shift 2 ;;
    --before) BEFORE=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
    --before-rev) BEFORE_REV=$2; shift 2 ;;
    --only)
      [ "$2" = dpi ] || { echo "--only takes dpi" >&2; exit 2; }
      ONLY=$2; DO_RELEASE=0; shift 2 ;;
    -h|--help) sed -n '2,28p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
MEMORY_SECONDS=$(awk -v m="$MEMORY_MINUTES" 'BEGIN { printf "%d", m * 60 }')
mkdir -p "$BUILD"
BUILD=$(cd "$BUILD" && pwd)
WORK=$BUILD/bench
BIN=$BUILD/win32/bin
mkdir -p "$WORK"
RESULTS=$WORK/results.tsv
log() { printf '[bench] %s\n' "$*" >&2; }

if [ $DO_BUILD = 1 ]; then
  log "building"
  if [ ! -f "$BUILD/win32/build.ninja" ]; then
    bash "$ROOT/scripts/build.sh" win32 >"$WORK/build.log" 2>&1 ||
      { tail -n 40 "$WORK/build.log"; exit 1; }
  fi
  cmake --build "$BUILD/win32" --target rollcall bench_driver bench_reference bench_paint_spy \
    >>"$WORK/build.log" 2>&1 || { tail -n 40 "$WORK/build.log"; exit 1; }
  if [ $DO_RELEASE = 1 ]; then
    bash "$ROOT/scripts/build.sh" win32-release >>"$WORK/build.log" 2>&1 ||
      { tail -n 40 "$WORK/build.log"; exit 1; }
  fi
fi
# The program as it was at BEFORE_REV, built beside this one with the same options (its sources
# exported from git, the dependency cache shared).
if [ -n "$BEFORE_REV" ]; then
  log "building the program at $BEFORE_REV"
  src=$WORK/before-src
  rm -rf "$src" && mkdir -p "$src"
  git -C "$ROOT" archive "$BEFORE_REV" | tar -x -C "$src" || { echo "no revision $BEFORE_REV" >&2; exit 1; }
  ln -s "$ROOT/.cache" "$src/.cache"
  cached() { sed -n "s/^$1:[A-Z]*=//p" "$BUILD/win32/CMakeCache.txt"; }
  # The form compiler of that revision: the form descriptions are written in its words.
  cmake -S "$src" -B "$src/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Release >>"$WORK/build.log" 2>&1 &&
    cmake --build "$src/build/native" --target formc >>"$WORK/build.log" 2>&1 ||
    { tail -n 40 "$WORK/build.log"; exit 1; }
  cmake -S "$src" -B "$src/build/win32" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
    -DROLLCALL_FORMC="$src/build/native/tools/formc/formc" \
    -DROLLCALL_UPDATE_SERVER="$(cached ROLLCALL_UPDATE_SERVER)" \
    -DROLLCALL_DOWNLOAD_URL="$(cached ROLLCALL_DOWNLOAD_URL)" \
    -DROLLCALL_SHARE_URL="$(cached ROLLCALL_SHARE_URL)" -DROLLCALL_GROUP_URL="$(cached ROLLCALL_GROUP_URL)" \
    -DROLLCALL_MAKER_URL="$(cached ROLLCALL_MAKER_URL)" >>"$WORK/build.log" 2>&1 &&
    cmake --build "$src/build/win32" --target rollcall >>"$WORK/build.log" 2>&1 ||
    { tail -n 40 "$WORK/build.log"; exit 1; }
  mkdir -p "$WORK/programs/before"
  i686-w64-mingw32-objcopy --strip-debug "$src/build/win32/bin/rollcall.exe" \
    "$WORK/programs/before/rollcall.exe" || exit 1
fi
for f in rollcall.exe bench_driver.exe bench_reference.exe bench_paint_spy.dll; do
  [ -f "$BIN/$f" ] || { echo "missing $BIN/$f (run without --no-build)" >&2; exit 1; }
done

# The programs measured: the test build (its update server on loopback) and the reference,
# without their debugging information, as the release build is without it. Wine reads a
# program's sections into memory when their places in the file cannot be mapped, and whether
# they can is the luck of the layout: 13 MB of debugging information would come and go as
# private memory from one build to the next.
mkdir -p "$WORK/programs"
for f in rollcall.exe bench_reference.exe; do
  i686-w64-mingw32-objcopy --strip-debug "$BIN/$f" "$WORK/programs/$f" ||
    { echo "cannot strip $BIN/$f" >&2; exit 1; }
done

# ---- Sizes: section sizes of the program file and the blocks it carries.
sizes() {  # label, exe, form data .bin
  local label=$1 exe=$2 bin=$3
  [ -f "$exe" ] || return 0
  printf 'S\t%s\tfile\t%s\n' "$label" "$(stat -c %s "$exe")"
  i686-w64-mingw32-objdump -h "$exe" | while read -r _ name size _; do
    [[ $name == .* ]] && printf 'S\t%s\tsection %s\t%d\n' "$label" "$name" "$((16#$size))"
  done
  [ -f "$bin" ] && printf 'S\t%s\tform data\t%s\n' "$label" "$(stat -c %s "$bin")"
  printf 'S\t%s\tskins\t%s\n' "$label" "$(cat "$ROOT"/skin/skins/*.she | wc -c)"
  printf 'S\t%s\tskin library\t%s\n' "$label" "$(stat -c %s "$BIN/SkinH_EL.dll")"
}
{
  sizes test "$BIN/rollcall.exe" "$BUILD/win32/app/app__kFormData.bin"
  sizes release "$BUILD/win32-release/bin/rollcall.exe" "$BUILD/win32-release/app/app__kFormData.bin"
} >"$WORK/sizes.tsv"

# ---- The timed part: one Wine session in a network namespace of its own, so that the loopback
# update server is ours alone and "nothing listens" means nothing.
winpath() { printf 'Z:%s' "${1//\//\\}"; }
export ROOT BUILD WORK BIN RUNS SECONDS_IDLE MEMORY_SECONDS RESULTS ONLY
export SEED_W PROG_W REF_W SPY_W DRIVER BEFORE_W=""
SEED_W=$(winpath "$WORK/seed")
PROG_W=$(winpath "$WORK/programs/rollcall.exe")
REF_W=$(winpath "$WORK/programs/bench_reference.exe")
SPY_W=$(winpath "$BIN/bench_paint_spy.dll")
DRIVER=$BIN/bench_driver.exe
[ -n "$BEFORE_REV" ] && BEFORE_W=$(winpath "$WORK/programs/before/rollcall.exe")

session() {
  set -uo pipefail
  ip link set lo up 2>/dev/null || true
  # The window server runs under a name of its own: other Wine sessions on a shared machine end
  # servers they find by the name "wineserver", and a benchmark whose server goes midway is lost.
  mkdir -p "$WORK/bin"
  printf '#!/bin/bash\nexec -a rollcall-bench-server /usr/lib/wine/wineserver64 -p0 "$@"\n' \
    >"$WORK/bin/wineserver"
  chmod +x "$WORK/bin/wineserver"
  export PATH=$WORK/bin:$PATH WINESERVER=$WORK/bin/wineserver
  # Room for the program at 192 DPI (1234 x 814) beside one at 96 DPI, neither covering the
  # other: a wholly covered program rests, and what does not show is not drawn.
  export ROLLCALL_SCREEN=2048x1024
  # shellcheck source=scripts/wine-env.sh
  source "$ROOT/scripts/wine-env.sh"
  wine_env_init "$BUILD"
  wine_up >"$WORK/wine-up.log" 2>&1 || { cat "$WORK/wine-up.log"; return 1; }
  # Wine's desktop as large as the screen for this session, the prefix's own size again after.
  local desktops='HKCU\Software\Wine\Explorer\Desktops'
  wine reg add "$desktops" /v Default /d "$ROLLCALL_SCREEN" /f >/dev/null 2>&1
  # The display at 96 DPI as the prefix has it with no setting (a test may have left one).
  wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
  # Only our own prefix's server is ours to end (wine_up notes the first server it finds).
  local own dev inode p pids=()
  read -r dev inode < <(stat -c '%d %i' "$WINEPREFIX")
  own=$(printf 'server-%x-%x' "$dev" "$inode")
  for p in "${WINE_ENV_PIDS[@]}"; do
    if [[ $(tr '\0' ' ' <"/proc/$p/cmdline" 2>/dev/null) == *wineserver* ]] &&
      [[ $(readlink "/proc/$p/cwd" 2>/dev/null) != *"$own" ]]; then
      continue
    fi
    pids+=("$p")
  done
  WINE_ENV_PIDS=("${pids[@]}")
  server_alive() { pgrep -f "^rollcall-bench-server" >/dev/null; }

  local server=""
  serve() {
    python3 -c '
import http.server, sys
class H(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body = b"6.0"
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *a):
        pass
http.server.HTTPServer(("127.0.0.1", 47631), H).serve_forever()' &
    server=$!
    for _ in $(seq 1 100); do
      python3 -c 'import socket; socket.create_connection(("127.0.0.1", 47631), 0.2)' 2>/dev/null &&
        return 0
      sleep 0.05
    done
    return 1
  }
  unserve() { [ -n "$server" ] && kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; server=""; }
  step() {  # name, timeout, driver arguments...
    local name=$1 t=$2
    shift 2
    log "$name"
    (cd "$BIN" && wine_run "$t" "$DRIVER" "$@") >"$WORK/$name.out" 2>"$WORK/$name.err"
    local rc=$?
    # FIGURE_SUFFIX names the subjects of runs made under other conditions.
    tr -d '\r' <"$WORK/$name.out" |
      awk -v s="${FIGURE_SUFFIX:-}" 'BEGIN { FS = OFS = "\t" } s != "" && $1 == "R" { $3 = $3 s } 1' \
        >>"$RESULTS"
    if [ $rc -ne 0 ]; then
      log "$name failed ($rc): $(tr -d '\r' <"$WORK/$name.out" | grep '^E' | head -n 3)"
      server_alive || log "the window server has gone"
      printf 'E\t%s ended with %s\n' "$name" "$rc" >>"$RESULTS"
    fi
    return $rc
  }
  : >"$RESULTS"
  rm -rf "$WORK/seed"
  step prime 120 prime "$PROG_W" "$SEED_W" || return 1
  if [ -z "$ONLY" ]; then
    serve || { log "the loopback server did not start"; return 1; }
    # Starts are short and the noisiest figure: twice the runs.
    step startup_server 600 startup "$PROG_W" "$REF_W" "$SEED_W" $((RUNS * 2)) server
    unserve
    step startup_noserver 600 startup "$PROG_W" "$REF_W" "$SEED_W" $((RUNS * 2)) noserver
    step idle $((RUNS * (SECONDS_IDLE + 90) + 60)) idle "$PROG_W" "$REF_W" "$SEED_W" "$RUNS" \
      "$SECONDS_IDLE" "$SPY_W" ${BEFORE_W:+"$BEFORE_W" "$SEED_W"}
    step repaint 300 repaint "$PROG_W" "$SEED_W" "$SPY_W" 10
    step memory $((MEMORY_SECONDS + 300)) memory "$PROG_W" "$REF_W" "$SEED_W" "$SPY_W" "$RUNS" \
      "$MEMORY_SECONDS"
  fi
  # The display at 200 % and at 96 DPI in turns: the driver sets the prefix's LogPixels, which
  # Wine hands to every program at its start, before each 192-DPI start and deletes it after.
  printf 'N\tload average before the step at 192 DPI %s\n' "$(cut -d' ' -f1 /proc/loadavg)" \
    >>"$RESULTS"
  step dpi $((RUNS * 20 + RUNS * (SECONDS_IDLE + 60) + 120)) dpi "$PROG_W" "$SEED_W" "$RUNS" \
    "$SECONDS_IDLE"
  # No setting at all whatever became of the step: Wine tells a LogPixels of 96 from none.
  wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
  printf 'N\tload average at the end %s\n' "$(cut -d' ' -f1 /proc/loadavg)" >>"$RESULTS"
  wine reg add "$desktops" /v Default /d 1024x768 /f >/dev/null 2>&1
  wine_down
}
export -f session log

started=$(date +%s)
if unshare --net true 2>/dev/null; then
  unshare --net bash -c session
else
  log "no network namespace (not root?): the loopback port is shared with this machine"
  bash -c session
fi
rc=$?
elapsed=$(($(date +%s) - started))

python3 "$ROOT/tests/bench/report.py" --results "$RESULTS" --sizes "$WORK/sizes.tsv" \
  --runs "$RUNS" --seconds "$SECONDS_IDLE" --memory-minutes "$MEMORY_MINUTES" \
  --elapsed "$elapsed" ${BEFORE:+--before "$BEFORE"} ${BEFORE_REV:+--before-rev "\`$BEFORE_REV\`"} \
  ${ONLY:+--only "$ONLY" --into "$OUT"} >"$OUT.tmp" && mv "$OUT.tmp" "$OUT"
log "wrote $OUT (timed part: ${elapsed} s)"
exit $rc
