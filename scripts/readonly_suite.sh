#!/usr/bin/env bash
# The program started from folders it cannot write to: for each case a folder is prepared with
# the program (and, for "teacher", a class list), then mounted read-only in a private mount
# namespace, where a Wine session of its own runs the ReadOnlyFolder scenarios of e2e_tests.
# (Permission bits do not stop root; a read-only mount does.) The case "full" is a folder with
# less room left than the skin library needs, a small tmpfs holding the program, for the
# FullFolder scenario. Prints "passed failed".
# Usage: scripts/readonly_suite.sh BUILD RESULTS
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$1
RESULTS=$2
BIN=$BUILD/win32/bin
OUT=$RESULTS/readonly
rm -rf "$OUT"
mkdir -p "$OUT"
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

passed=0 failed=0
# The full folder: the program's pages and 3 more, 12 KiB free: less than the 88,576 bytes of
# the skin library and less than its sections, so that a library cut there cannot be loaded;
# enough for the class list.
FULL_SIZE=$((($(stat -c %s "$BIN/rollcall.exe") + 4095) / 4096 * 4096 + 3 * 4096))
for case in first teacher full; do
  dir=$OUT/$case
  mkdir -p "$dir"
  cp "$BIN/rollcall.exe" "$dir/"
  if [ "$case" = teacher ]; then
    printf '[全班人名：]\r\n1=张三\r\n2=李四\r\n3=王五\r\n[Running State]\r\nFirst run=no\r\n' |
      iconv -f UTF-8 -t GBK >"$dir/dede.ini"
  fi
  (cd "$dir" && find . -type f -exec sha256sum {} + | sort) >"$OUT/$case.before"
  xml=$OUT/$case.xml
  filter="ReadOnlyFolder.*"
  [ "$case" = full ] && filter="FullFolder.*"
  CASE=$case DIR=$dir FILTER=$filter FULL_SIZE=$FULL_SIZE XML="$(winpath "$xml")" \
    RODIR="$(winpath "$dir/")" ROOT=$ROOT BUILD=$BUILD BIN=$BIN OUT=$OUT unshare --mount bash -c '
      if [ "$CASE" = full ]; then
        mount -t tmpfs -o size="$FULL_SIZE" tmpfs "$DIR" && cp "$BIN/rollcall.exe" "$DIR/" || exit 3
      else
        mount --bind "$DIR" "$DIR" && mount -o remount,bind,ro "$DIR" || exit 3
      fi
      source "$ROOT/scripts/wine-env.sh"
      wine_env_init "$BUILD"
      wine_up >"$OUT/$CASE-wine.log" 2>&1 || exit 4
      cd "$BIN" && ROLLCALL_READONLY_DIR="$RODIR" ROLLCALL_READONLY_CASE="$CASE" \
        wine_run 300 "$BIN/e2e_tests.exe" --gtest_filter="$FILTER" \
        "--gtest_output=xml:$XML"
    ' >"$OUT/$case.log" 2>&1
  rc=$?
  (cd "$dir" && find . -type f -exec sha256sum {} + | sort) >"$OUT/$case.after"
  read -r p f < <(python3 "$ROOT/scripts/count_results.py" "$xml")
  [ $rc -ne 0 ] && [ "$f" -eq 0 ] && f=1
  if ! cmp -s "$OUT/$case.before" "$OUT/$case.after"; then
    echo "readonly: $case: the read-only folder changed" >&2
    f=$((f + 1))
  fi
  if [ "$f" -gt 0 ]; then
    tr -d '\r' <"$OUT/$case.log" | grep -E 'Failure|Expected|Which is|Value of|exit' | head -n 20 >&2
  fi
  passed=$((passed + p))
  failed=$((failed + f))
done
echo "$passed $failed"
