#!/usr/bin/env bash
# Bad input, faults and a long run, on the real program under Wine, in a Wine session of its own
# inside a network namespace (the update scenario serves on the test build's update port, which
# must be its own):
#   scenarios  the Robust* cases of e2e_tests: class list files, sound files, the skin library,
#              misbehaving update servers
#   pictures   random pictures through the program's own picture path (picture_fuzz.exe, fixed
#              seeds; the decoders need the Windows API, so this stands in for libFuzzer)
# With --long (or ROBUST_LONG=1) besides: 200 MB sound files, PICTURE_LONG inputs (200000), every
# libFuzzer target for FUZZ_LONG_SECONDS (600) of CPU each, and the soak: SOAK_MINUTES (60) of
# cycling, banner, clock, panel slides, countdowns and skins, sampled every minute, drawn by
# scripts/soak_plot.py into docs/soak.svg. --soak runs the soak alone, --fuzz the fuzz targets
# alone. Prints "passed failed" as its last line; details go to stderr and RESULTS/robust/.
# Usage: scripts/robust_suite.sh BUILD RESULTS [--long|--soak|--fuzz] [--filter GTEST_FILTER]
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$1
RESULTS=$2
shift 2
LONG=${ROBUST_LONG:-0}
parts="scenarios pictures"
filter="Robust*:-RobustSoak.*"
while [ $# -gt 0 ]; do
  case $1 in
    --long) LONG=1; shift ;;
    --soak) parts="soak"; shift ;;
    --fuzz) parts="fuzz"; shift ;;
    --filter) filter=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
[ "$LONG" = 1 ] && [ "$parts" = "scenarios pictures" ] && parts="scenarios pictures fuzz soak"
BIN=$BUILD/win32/bin
OUT=$RESULTS/robust
mkdir -p "$OUT"
winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

passed=0 failed=0
count() {  # xml: adds its passed and failed cases
  local p f
  read -r p f < <(python3 "$ROOT/scripts/count_results.py" "$1")
  passed=$((passed + p))
  failed=$((failed + f))
  [ "$f" -eq 0 ]
}
failures() {  # log
  tr -d '\r' <"$1" | iconv -f GBK -t UTF-8 -c |
    grep -E '^\[  FAILED|Failure|Expected|Which is|Value of|no answer|crash' | head -n 40 >&2
}

# --- Wine parts ---------------------------------------------------------------------------
wine_parts=""
for p in scenarios pictures soak; do [[ " $parts " == *" $p "* ]] && wine_parts+="$p "; done
if [ -n "$wine_parts" ]; then
  rm -f "$OUT"/scenarios.xml "$OUT"/soak.xml "$OUT"/soak.csv
  PARTS=$wine_parts LONG=$LONG FILTER=$filter ROOT=$ROOT BUILD=$BUILD BIN=$BIN OUT=$OUT \
    SOAK_MINUTES=${SOAK_MINUTES:-60} PICTURES=$([ "$LONG" = 1 ] && echo "${PICTURE_LONG:-200000}" || echo 10000) \
    unshare --net bash -c '
      ip link set lo up || exit 3
      source "$ROOT/scripts/wine-env.sh"
      wine_env_init "$BUILD"
      wine_up >"$OUT/wine-up.log" 2>&1 || exit 4
      winpath() { local p=$1; printf "Z:%s" "${p//\//\\}"; }
      cd "$BIN" || exit 5
      for part in $PARTS; do
        case $part in
          scenarios)
            ROBUST_LONG=$LONG wine_run $([ "$LONG" = 1 ] && echo 1800 || echo 600) \
              "$BIN/e2e_tests.exe" --gtest_filter="$FILTER" \
              "--gtest_output=xml:$(winpath "$OUT/scenarios.xml")" >"$OUT/scenarios.log" 2>&1
            ;;
          pictures)
            # A crash leaves its input in $OUT/pictures as crash-N.bin.
            mkdir -p "$OUT/pictures"
            (cd "$OUT/pictures" && rm -f crash-*.bin &&
              wine_run 1200 "$BIN/picture_fuzz.exe" "$PICTURES" 20240601 \
                "$(winpath "$BIN/pictures")" "$(winpath "$ROOT/tests/fuzz/seeds/picture_decode_fuzz")")
            echo "exit $?" >"$OUT/pictures.rc"
            ;;
          soak)
            ROBUST_SOAK_MINUTES=$SOAK_MINUTES ROBUST_SOAK_CSV="$(winpath "$OUT/soak.csv")" \
              wine_run $((SOAK_MINUTES * 60 + 600)) "$BIN/e2e_tests.exe" \
              --gtest_filter="RobustSoak.*" "--gtest_output=xml:$(winpath "$OUT/soak.xml")" \
              >"$OUT/soak.log" 2>&1
            ;;
        esac
      done
      wine_down' >"$OUT/wine.log" 2>&1
  if [[ " $wine_parts " == *" scenarios "* ]]; then
    count "$OUT/scenarios.xml" || failures "$OUT/scenarios.log"
  fi
  if [[ " $wine_parts " == *" pictures "* ]]; then
    if [ "$(cat "$OUT/pictures.rc" 2>/dev/null)" = "exit 0" ]; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "robust: random pictures: $(cat "$OUT/pictures.rc" 2>/dev/null || echo 'did not run')" >&2
      tail -n 5 "$OUT/wine.log" >&2
    fi
  fi
  if [[ " $wine_parts " == *" soak "* ]]; then
    count "$OUT/soak.xml" || failures "$OUT/soak.log"
    if [ -s "$OUT/soak.csv" ] &&
      python3 "$ROOT/scripts/soak_plot.py" "$OUT/soak.csv" "$OUT/soak.svg" >&2; then
      cp "$OUT/soak.svg" "$ROOT/docs/soak.svg"
    else
      failed=$((failed + 1))
      echo "robust: no soak figures to plot" >&2
    fi
  fi
fi

# --- libFuzzer targets, natively under ASan/UBSan ----------------------------------------
if [[ " $parts " == *" fuzz "* ]]; then
  if [ ! -f "$BUILD/fuzz/build.ninja" ] || ! cmake --build "$BUILD/fuzz" >"$OUT/fuzz-build.log" 2>&1; then
    ROLLCALL_BUILD=$BUILD bash "$ROOT/scripts/build.sh" fuzz >"$OUT/fuzz-build.log" 2>&1 ||
      { failed=$((failed + 1)); echo "robust: the fuzz targets did not build" >&2; }
  fi
  seconds=${FUZZ_LONG_SECONDS:-600}
  for fz in $(find "$BUILD/fuzz/tests" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort); do
    name=$(basename "$fz")
    corpus=$OUT/corpus/$name
    mkdir -p "$corpus" "$OUT/crashes/$name"
    seeds=()
    for d in "$ROOT/tests/fuzz/seeds/$name" "$BUILD/fuzz/tests/seeds/$name"; do
      [ -d "$d" ] && seeds+=("$d")
    done
    # One process, so that the time given is CPU time of the target, not of several workers
    # (on a machine with a core to spare: the time is wall-clock, the CPU it got is reported).
    timer=()
    [ -x /usr/bin/time ] && timer=(/usr/bin/time -f "stat::cpu_seconds: %U user %S system" -a -o "$OUT/fuzz-$name.log")
    if "${timer[@]}" timeout $((seconds + 120)) "$fz" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$OUT/crashes/$name/" -print_final_stats=1 \
      "$corpus" "${seeds[@]}" >"$OUT/fuzz-$name.log" 2>&1; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "robust: fuzz target $name failed (inputs in $OUT/crashes/$name):" >&2
      grep -E 'ERROR|SUMMARY|Test unit written' "$OUT/fuzz-$name.log" | head -n 10 >&2
    fi
    grep -E '^stat::number_of_executed_units|^stat::peak_rss|^stat::cpu' "$OUT/fuzz-$name.log" |
      sed "s/^/  $name /" >&2
  done
fi

echo "$passed $failed"
