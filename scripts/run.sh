#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program under Wine.
#   With a usable $DISPLAY: the program runs there until you close it, in build/run/, which
#   keeps its dede.ini between runs.
#   Without one: on a private Xvfb the program makes its first start in a fresh folder of its
#   own, build/run/first-look/ (emptied at each run, never a teacher's file): its two first-start
#   boxes are answered, a sample class list of ten names is put into the dede.ini it made, a roll
#   call is started and stopped, each step is told on the terminal and pictured in that folder,
#   and everything is ended.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ROLLCALL_BUILD:-$ROOT/build}

bash "$ROOT/scripts/setup.sh"
bash "$ROOT/scripts/build.sh" win32

EXE=$BUILD/win32/bin/rollcall.exe
[ -f "$EXE" ] || { echo "no program was built at $EXE" >&2; exit 1; }

# shellcheck source=scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"
wine_env_init "$BUILD"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  RUNDIR=$BUILD/run
  mkdir -p "$RUNDIR"
  cp "$EXE" "$RUNDIR/"
  export ROLLCALL_USE_DISPLAY=1
  wine_up
  echo "starting rollcall.exe on $DISPLAY (close its window to end)"
  set +e
  (cd "$RUNDIR" && wine rollcall.exe)
  rc=$?
  echo "the program ended with exit code $rc"
  exit $rc
fi

RUNDIR=$BUILD/run/first-look
rm -rf "$RUNDIR"
mkdir -p "$RUNDIR"
cp "$EXE" "$RUNDIR/"
wine_up
echo "no display: rollcall.exe makes its first start on a private X server in $RUNDIR"
set +e
ROLLCALL_FIRST_LOOK_DIR=$RUNDIR timeout --kill-after=5 120 \
  wine "$BUILD/win32/bin/first_look.exe" 2>"$RUNDIR/wine.log"
rc=$?
set -e
wine_down
for shot in "$RUNDIR"/*.png; do if [ -f "$shot" ]; then echo "screenshot: $shot"; fi; done
[ $rc -eq 0 ] || echo "the first look ended with exit code $rc (Wine's messages: $RUNDIR/wine.log)"
exit $rc
