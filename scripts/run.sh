#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program under Wine.
#   With a usable $DISPLAY: the program runs there until you close it.
#   Without one: it runs on a private Xvfb for a few seconds (RUN_SECONDS, default 6), a
#   screenshot is saved to the path printed at the end, and everything is ended.
# The program runs in build/run/, which keeps its dede.ini between runs.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ROLLCALL_BUILD:-$ROOT/build}
RUN_SECONDS=${RUN_SECONDS:-6}

bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh" win32

EXE=$BUILD/win32/bin/rollcall.exe
[ -f "$EXE" ] || { echo "no program was built at $EXE" >&2; exit 1; }
RUNDIR=$BUILD/run
mkdir -p "$RUNDIR"
cp "$EXE" "$RUNDIR/"

# shellcheck source=scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"
wine_env_init "$BUILD"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export ROLLCALL_USE_DISPLAY=1
  wine_up
  echo "starting rollcall.exe on $DISPLAY (close its window to end)"
  set +e
  (cd "$RUNDIR" && wine rollcall.exe)
  rc=$?
  echo "the program ended with exit code $rc"
  exit $rc
fi

wine_up
(cd "$RUNDIR" && exec wine rollcall.exe) >"$RUNDIR/wine.log" 2>&1 &
prog=$!
sleep "$RUN_SECONDS"
SHOT=$RUNDIR/screenshot.png
import -window root "$SHOT"
if kill -0 "$prog" 2>/dev/null; then
  state="still running"
else
  wait "$prog"
  state="ended with exit code $?"
fi
kill "$prog" 2>/dev/null || true
wine_down
echo "the program was $state after ${RUN_SECONDS}s"
echo "screenshot: $SHOT"
