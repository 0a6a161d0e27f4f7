#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every suite:
#   native   portable core tests and host tool tests (ctest, native build)
#   asan     the same under AddressSanitizer and UBSan
#   fuzz     each libFuzzer target for a bounded time (FUZZ_SECONDS in all, default 60)
#   wcore    the portable core tests built for Windows, under Wine
#   win      Windows-side unit tests, under Wine
#   e2e      end-to-end scenarios that start real programs and drive their windows, under Wine
#   shell    checks of the Wine environment itself, of the sound files and of the floors
#            the sources include along
#   readonly the program started from read-only folders and from a full one (its own Wine
#            session in a private mount namespace): the skin library goes to the user's folder,
#            nothing is written to a read-only one, nothing cut is left in a full one
#   robust   bad input and faults (class list files, sound files, the skin library, update
#            servers that misbehave) and random pictures, on the program under Wine in a network
#            namespace (scripts/robust_suite.sh); with --long (or ROBUST_LONG=1) also the
#            one-hour soak and ten minutes of each fuzz target
#   package  the teachers' zip (scripts/package.sh): its contents, the same bytes when made
#            again, and the program started from it, under Wine in a network namespace
# Usage: scripts/test.sh [--suite NAME]... [--filter GTEST_FILTER] [--no-setup] [--no-build]
#        [--long]
# The last line is always "N passed, N failed"; the exit code is non-zero when anything failed.
set -uo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ROLLCALL_BUILD:-$ROOT/build}
RESULTS=$BUILD/results
FUZZ_SECONDS=${FUZZ_SECONDS:-60}

suites=()
filter=""
do_setup=1
do_build=1
while [ $# -gt 0 ]; do
  case $1 in
    --suite) suites+=("$2"); shift 2 ;;
    --filter) filter=$2; shift 2 ;;
    --no-setup) do_setup=0; shift ;;
    --no-build) do_build=0; shift ;;
    --long) export ROBUST_LONG=1; shift ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done
[ ${#suites[@]} -gt 0 ] || suites=(native asan fuzz wcore win e2e shell readonly robust package)
has_suite() { local s; for s in "${suites[@]}"; do [ "$s" = "$1" ] && return 0; done; return 1; }

TOTAL_PASS=0
TOTAL_FAIL=0
report() {  # suite, passed, failed
  printf '%-8s %d passed, %d failed\n' "$1:" "$2" "$3"
  TOTAL_PASS=$((TOTAL_PASS + $2))
  TOTAL_FAIL=$((TOTAL_FAIL + $3))
}
finish() {
  echo "$TOTAL_PASS passed, $TOTAL_FAIL failed"
  [ "$TOTAL_FAIL" -eq 0 ]
  exit $?
}

# Counts test cases and failures of a GoogleTest or JUnit XML report: "passed failed".
count_xml() { python3 "$ROOT/scripts/count_results.py" "$1"; }

if [ $do_setup = 1 ]; then
  bash "$ROOT/scripts/setup.sh" || { report setup 0 1; finish; }
fi

mkdir -p "$RESULTS"
rm -f "$RESULTS"/*.xml

if [ $do_build = 1 ]; then
  cfgs=()
  { has_suite native || has_suite win || has_suite wcore || has_suite e2e || has_suite package || has_suite readonly || has_suite robust; } &&
    cfgs+=(native)
  has_suite asan && cfgs+=(native-asan)
  has_suite fuzz && cfgs+=(fuzz)
  { has_suite wcore || has_suite win || has_suite e2e || has_suite shell || has_suite package || has_suite readonly || has_suite robust; } &&
    cfgs+=(win32)
  if [ ${#cfgs[@]} -gt 0 ]; then
    if ! bash "$ROOT/scripts/build.sh" "${cfgs[@]}" >"$RESULTS/build.log" 2>&1; then
      tail -n 60 "$RESULTS/build.log"
      report build 0 1
      finish
    fi
  fi
fi

run_ctest() {  # suite, build dir
  local suite=$1 dir=$2
  if [ ! -f "$dir/CTestTestfile.cmake" ]; then report "$suite" 0 1; return; fi
  local args=(--test-dir "$dir" --output-junit "$RESULTS/$suite.xml" --timeout 300 -j "$(nproc)")
  [ -n "$filter" ] && args+=(-R "$filter")
  ctest "${args[@]}" >"$RESULTS/$suite.log" 2>&1
  local rc=$?
  read -r p f < <(count_xml "$RESULTS/$suite.xml")
  [ $rc -ne 0 ] && [ "$f" -eq 0 ] && f=1
  [ "$f" -gt 0 ] && grep -E 'Failed|\*\*\*|Failure|ERROR' "$RESULTS/$suite.log" | head -n 40
  report "$suite" "$p" "$f"
}

has_suite native && run_ctest native "$BUILD/native"
has_suite asan && run_ctest asan "$BUILD/native-asan"

if has_suite fuzz; then
  mapfile -t fuzzers < <(find "$BUILD/fuzz/tests" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x 2>/dev/null | sort)
  fp=0 ff=0
  if [ ${#fuzzers[@]} -gt 0 ]; then
    per=$((FUZZ_SECONDS / ${#fuzzers[@]}))
    [ $per -lt 5 ] && per=5
    for fz in "${fuzzers[@]}"; do
      name=$(basename "$fz")
      corpus=$RESULTS/corpus/$name
      mkdir -p "$corpus"
      seeds=$ROOT/tests/fuzz/seeds/$name
      [ -d "$BUILD/fuzz/tests/seeds/$name" ] && seeds="$seeds $BUILD/fuzz/tests/seeds/$name"
      # shellcheck disable=SC2086
      if (cd "$RESULTS" && timeout $((per + 60)) "$fz" -max_total_time=$per -timeout=10 -rss_limit_mb=2048 \
          -print_final_stats=0 "$corpus" $(ls -d $seeds 2>/dev/null) >"$RESULTS/$name.log" 2>&1); then
        fp=$((fp + 1))
      else
        ff=$((ff + 1))
        echo "fuzz target $name failed:"
        grep -E 'ERROR|SUMMARY|crash-|leak-|timeout-' "$RESULTS/$name.log" | head -n 20
      fi
    done
  fi
  report fuzz $fp $ff
fi

NEED_WINE=0
for s in wcore win e2e shell; do has_suite $s && NEED_WINE=1; done
if [ $NEED_WINE = 1 ]; then
  # shellcheck source=scripts/wine-env.sh
  source "$ROOT/scripts/wine-env.sh"
  wine_env_init "$BUILD"
  if ! wine_up >"$RESULTS/wine-up.log" 2>&1; then
    cat "$RESULTS/wine-up.log"
    report wine 0 1
    finish
  fi
  BIN=$BUILD/win32/bin

  run_wine_gtest() {  # suite, exe, timeout[, filter when none is given]
    local suite=$1 exe=$2 t=$3 filter=${filter:-${4:-}}
    if [ ! -f "$BIN/$exe" ]; then
      # A suite with no test files yet has no program; that is not a failure.
      report "$suite" 0 0
      return
    fi
    local xml=$RESULTS/$suite.xml
    local args=("--gtest_output=xml:Z:${xml//\//\\}")
    [ -n "$filter" ] && args+=("--gtest_filter=$filter")
    (cd "$BIN" && wine_run "$t" "$BIN/$exe" "${args[@]}") >"$RESULTS/$suite.log" 2>&1
    local rc=$?
    read -r p f < <(count_xml "$xml")
    [ $rc -ne 0 ] && [ "$f" -eq 0 ] && f=1
    if [ "$f" -gt 0 ]; then
      tr -d '\r' <"$RESULTS/$suite.log" | grep -E '^\[  FAILED|Failure|error:|Expected|Which is|  Actual|Value of' | head -n 60
      [ $rc -ne 0 ] && echo "$exe exited with $rc"
    fi
    report "$suite" "$p" "$f"
  }

  has_suite wcore && run_wine_gtest wcore core_tests.exe 600
  has_suite win && run_wine_gtest win win_tests.exe 900
  # The Robust* scenarios belong to the robust suite, which gives them a session of their own.
  has_suite e2e && run_wine_gtest e2e e2e_tests.exe 1200 '-Robust*'

  if has_suite shell; then
    sp=0 sf=0
    # Exit codes of Windows programs reach the shell modulo 256.
    wine_run 30 "$BIN/sample.exe" -1 --exit-now >/dev/null 2>&1
    if [ $? -eq 255 ]; then sp=$((sp + 1)); else sf=$((sf + 1)); echo "shell: exit code -1 did not arrive as 255"; fi
    wine_run 30 "$BIN/sample.exe" 3 --exit-now >/dev/null 2>&1
    if [ $? -eq 3 ]; then sp=$((sp + 1)); else sf=$((sf + 1)); echo "shell: exit code 3 did not arrive"; fi
    # The program is a static executable: no mingw runtime DLL may be needed beside it.
    if objdump -p "$BIN"/*.exe 2>/dev/null | grep -qiE 'DLL Name: (libstdc|libgcc|libwinpthread)'; then
      sf=$((sf + 1)); echo "shell: an executable needs a mingw runtime DLL"
    else
      sp=$((sp + 1))
    fi
    # Every include of the sources runs down the floors (docs/architecture.md): no unit type
    # reaching into the frame, no application code into the runtime.
    if python3 "$ROOT/scripts/check_floors.py" "$ROOT"; then
      sp=$((sp + 1))
    else
      sf=$((sf + 1)); echo "shell: an include runs against the floors"
    fi
    # ... and it sees a loop: a copy of the frame with one planted must fail it.
    planted=$(mktemp -d)
    cp -r "$ROOT/runtime" "$planted/"
    echo '#include "runtime/initialisation.h"' >>"$planted/runtime/state.cpp"
    found=$(python3 "$ROOT/scripts/check_floors.py" "$planted")
    if grep -q '^include cycle among .*runtime/state' <<<"$found"; then
      sp=$((sp + 1))
    else
      sf=$((sf + 1)); echo "shell: the floors check let a planted include cycle pass"
    fi
    rm -rf "$planted"
    # The program carries its application manifest: run as invoker, the supported systems,
    # DPI awareness stated (read out of the PE resources and parsed as XML).
    if python3 "$ROOT/scripts/check_manifest.py" "$BIN/rollcall.exe"; then
      sp=$((sp + 1))
    else
      sf=$((sf + 1)); echo "shell: the program's manifest is missing or wrong"
    fi
    # scripts/run.sh's first look without a display: the first start's two boxes answered, a
    # sample class list, a roll call started and stopped, each step pictured.
    look=$RESULTS/first-look
    rm -rf "$look" && mkdir -p "$look" && cp "$BIN/rollcall.exe" "$look/"
    ROLLCALL_FIRST_LOOK_DIR=$look wine_run 120 "$BIN/first_look.exe" >"$look/first-look.log" 2>&1
    if [ $? -eq 0 ] && [ "$(ls "$look"/*.png 2>/dev/null | wc -l)" -eq 4 ]; then
      sp=$((sp + 1))
    else
      sf=$((sf + 1)); echo "shell: the first look failed:"; tr -d '\r' <"$look/first-look.log" | tail -n 5
    fi
    # The sound files beside the program, measured (length, level, no click at the loop point,
    # an alarm that decodes and sounds), then made once more: the same bytes.
    if python3 "$ROOT/scripts/check_music.py" --regenerate "$BIN"; then
      sp=$((sp + 1))
    else
      sf=$((sf + 1))
    fi
    report shell $sp $sf
  fi
  wine_down
fi

if has_suite readonly; then
  read -r rp rf < <(bash "$ROOT/scripts/readonly_suite.sh" "$BUILD" "$RESULTS")
  report readonly "${rp:-0}" "${rf:-1}"
fi

if has_suite robust; then
  rargs=()
  [ -n "$filter" ] && rargs+=(--filter "$filter")
  read -r rp rf < <(bash "$ROOT/scripts/robust_suite.sh" "$BUILD" "$RESULTS" "${rargs[@]}" | tail -n 1)
  report robust "${rp:-0}" "${rf:-1}"
fi

if has_suite package; then
  # After the other Wine suites: the scenarios get a Wine session of their own, inside a network
  # namespace where only loopback exists and the release build's update host names 127.0.0.1.
  pp=0 pf=0
  PKG=$RESULTS/package
  rm -rf "$PKG"
  mkdir -p "$PKG"
  ZIP=${ROLLCALL_DIST:-$ROOT/dist}/rollcall-6.0-win32.zip
  pargs=(--no-setup)
  [ $do_build = 1 ] || pargs+=(--no-build)
  if bash "$ROOT/scripts/package.sh" "${pargs[@]}" >"$PKG/package.log" 2>&1 &&
    cp "$ZIP" "$PKG/first.zip" &&
    bash "$ROOT/scripts/package.sh" --no-build >>"$PKG/package.log" 2>&1; then
    if cmp -s "$ZIP" "$PKG/first.zip"; then
      pp=$((pp + 1))
    else
      pf=$((pf + 1))
      echo "package: made twice, the zips differ"
    fi
    python3 "$ROOT/scripts/check_package.py" check "$ZIP" "$ROOT" "$PKG" >"$PKG/check.log" 2>&1
    pp=$((pp + $(grep -c '^ok ' "$PKG/check.log")))
    pf=$((pf + $(grep -c -v -E '^(ok|server) ' "$PKG/check.log")))
    grep -v -E '^(ok|server) ' "$PKG/check.log" | sed 's/^/package: /'
    read -r _ PKG_HOST PKG_PORT < <(grep '^server ' "$PKG/check.log")
    if [ -n "${PKG_HOST:-}" ] && [ -f "$BUILD/win32/bin/e2e_tests.exe" ]; then
      winpath() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }
      # A package without an update address is served nothing: its scenarios expect no request.
      served=served
      [ "$PKG_HOST" != none ] || served=none
      printf '127.0.0.1 localhost %s\n' "$([ $served = none ] || echo "$PKG_HOST")" >"$PKG/hosts"
      ROLLCALL_PACKAGE_UPDATE=$served PKG_HOST=$PKG_HOST PKG_PORT=$PKG_PORT PKG=$PKG ROOT=$ROOT BUILD=$BUILD \
        ROLLCALL_PACKAGE_DIR="$(winpath "$PKG/unpacked/")" \
        ROLLCALL_PACKAGE_EXAMPLES="$(winpath "$PKG/examples/")" \
        ROLLCALL_PACKAGE_REQUESTS="$(winpath "$PKG/requests.log")" \
        XML="$(winpath "$PKG/package.xml")" \
        unshare --mount --net bash -c '
          ip link set lo up && mount --bind "$PKG/hosts" /etc/hosts || exit 3
          source "$ROOT/scripts/wine-env.sh"
          wine_env_init "$BUILD"
          wine_up >"$PKG/wine-up.log" 2>&1 || exit 4
          server=
          if [ "$PKG_HOST" = none ]; then
            : >"$PKG/requests.log"
          else
            python3 "$ROOT/scripts/check_package.py" serve "$PKG_PORT" "$PKG/requests.log" 2>"$PKG/server.log" &
            server=$!
          fi
          for _ in $(seq 1 100); do [ -f "$PKG/requests.log" ] && break; sleep 0.05; done
          (cd "$BUILD/win32/bin" && wine_run 300 "$BUILD/win32/bin/e2e_tests.exe" \
            --gtest_filter="Package.*" "--gtest_output=xml:$XML")
          rc=$?
          [ -z "$server" ] || kill "$server"
          exit $rc' >"$PKG/e2e.log" 2>&1
      rc=$?
      read -r p f < <(count_xml "$PKG/package.xml")
      [ $rc -ne 0 ] && [ "$f" -eq 0 ] && f=1
      if [ "$f" -gt 0 ]; then
        tr -d '\r' <"$PKG/e2e.log" | grep -E '^\[  FAILED|Failure|error:|Expected|Which is|  Actual|Value of' | head -n 40
        echo "package: the scenarios ended with $rc (log: $PKG/e2e.log)"
      fi
      pp=$((pp + p))
      pf=$((pf + f))
    else
      pf=$((pf + 1))
      echo "package: no update address or no e2e_tests.exe to start the program with"
    fi
  else
    tail -n 30 "$PKG/package.log"
    pf=$((pf + 1))
  fi
  report package $pp $pf
fi

finish
