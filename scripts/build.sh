#!/usr/bin/env bash
# Builds the configurations into build/:
#   native      host build: portable core, its tests, host tools (formc), benchmarks
#   native-asan the same tests under AddressSanitizer and UBSan
#   fuzz        libFuzzer targets (clang)
#   win32       the program and the Windows tests (i686 mingw, static)
#   win32-release  the program as teachers get it (scripts/package.sh): optimised, stripped,
#               with the built-in addresses at their defaults (no update server) or, with
#               ROLLCALL_RELEASE_UPDATE_SERVER set, that update server; only the program and its
#               sounds
# Usage: scripts/build.sh [config...]   (default: the first four)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ROLLCALL_BUILD:-$ROOT/build}
JOBS=${JOBS:-$(nproc)}
WERROR=OFF
[ "${CI:-}" = true ] && WERROR=ON

configure() {  # dir, extra cmake args...
  local dir=$1
  shift
  if [ ! -f "$BUILD/$dir/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DROLLCALL_WERROR=$WERROR "$@" >/dev/null
  else
    cmake "$BUILD/$dir" -DROLLCALL_WERROR=$WERROR "$@" >/dev/null
  fi
}

build_one() {
  local cfg=$1
  local targets=()
  echo "[build] $cfg"
  case $cfg in
    native) configure native ;;
    native-asan) configure native-asan -DROLLCALL_SANITIZE=ON ;;
    fuzz) CC=clang CXX=clang++ configure fuzz -DROLLCALL_FUZZ=ON ;;
    win32)
      # The tested program talks to loopback only: the end-to-end scenarios serve the update
      # files on this port, and nothing listens there otherwise.
      configure win32 -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DROLLCALL_FORMC="$BUILD/native/tools/formc/formc" \
        -DROLLCALL_UPDATE_SERVER="http://127.0.0.1:${ROLLCALL_TEST_PORT:-47631}" \
        -DROLLCALL_DOWNLOAD_URL="http://127.0.0.1:${ROLLCALL_TEST_PORT:-47631}/download/rollcall-setup.exe" \
        -DROLLCALL_SHARE_URL="http://127.0.0.1:${ROLLCALL_TEST_PORT:-47631}/share/" \
        -DROLLCALL_GROUP_URL="http://127.0.0.1:${ROLLCALL_TEST_PORT:-47631}/group" \
        -DROLLCALL_MAKER_URL="www.example.com" -DROLLCALL_TEST_CLOCK=ON
      ;;
    win32-release)
      local server=(-UROLLCALL_UPDATE_SERVER)
      if [ -n "${ROLLCALL_RELEASE_UPDATE_SERVER:-}" ]; then
        server=(-DROLLCALL_UPDATE_SERVER="$ROLLCALL_RELEASE_UPDATE_SERVER")
      fi
      # Removing the address entries first brings back their defaults in CMakeLists.txt, even in
      # a tree once configured otherwise. -O2 as in the tested build (GCC 12 warns falsely about
      # vector inserts at -O3, which -Werror would turn into a failed release). No link time
      # stamps, in the program nor in the skin library it carries: two builds of the same
      # sources give the same bytes.
      configure win32-release -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" \
        -DROLLCALL_FORMC="$BUILD/native/tools/formc/formc" \
        "${server[@]}" -UROLLCALL_DOWNLOAD_URL -UROLLCALL_SHARE_URL \
        -UROLLCALL_GROUP_URL -UROLLCALL_MAKER_URL -DROLLCALL_TEST_CLOCK=OFF \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
        -DCMAKE_EXE_LINKER_FLAGS_RELEASE="-s -Wl,--no-insert-timestamp" \
        -DCMAKE_SHARED_LINKER_FLAGS_RELEASE="-Wl,--no-insert-timestamp"
      targets=(--target rollcall)
      ;;
    *) echo "unknown configuration $cfg" >&2; return 2 ;;
  esac
  cmake --build "$BUILD/$cfg" -j "$JOBS" "${targets[@]}"
}

configs=("$@")
[ ${#configs[@]} -gt 0 ] || configs=(native native-asan fuzz win32)
for c in "${configs[@]}"; do
  # The Windows build runs the host form compiler, so native comes first.
  if [[ $c == win32* ]] && [ ! -f "$BUILD/native/build.ninja" ]; then build_one native; fi
  build_one "$c"
done
