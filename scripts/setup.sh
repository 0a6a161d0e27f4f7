#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, and builds the
# mingw dependencies (libjpeg-turbo, GoogleTest) into a git-ignored cache. Idempotent: a second
# run only checks and returns within seconds.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
CACHE=${ROLLCALL_CACHE:-$ROOT/.cache}
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

log() { printf '[setup] %s\n' "$*"; }

PKGS=(wine wine32:i386 wine64 g++-mingw-w64-i686 cmake nasm ninja-build clang llvm libclang-rt-14-dev
  xvfb xauth x11-utils xdotool imagemagick locales fonts-wqy-zenhei fonts-wine fonts-liberation2
  fonts-arphic-uming
  pulseaudio pulseaudio-utils lame sox googletest libgtest-dev libbenchmark-dev dpkg-dev python3 clang-format
  iproute2 util-linux libjpeg62-turbo-dev)

missing_pkgs() {
  local p out=()
  for p in "${PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || out+=("$p")
  done
  echo "${out[@]:-}"
}

apt_ready() {
  local changed=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
    changed=1
  fi
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    # Mirror the binary entries as source entries so that `apt-get source` works.
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -e "$f" ] || continue
      grep -q '^Types: deb$' "$f" || continue
      sed 's/^Types: deb$/Types: deb-src/' "$f" | $SUDO tee "/etc/apt/sources.list.d/rollcall-src-$(basename "$f")" >/dev/null
    done
    if [ -f /etc/apt/sources.list ] && grep -q '^deb ' /etc/apt/sources.list; then
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | $SUDO tee /etc/apt/sources.list.d/rollcall-src.list >/dev/null
    fi
    changed=1
  fi
  echo $changed
}

install_packages() {
  local changed miss
  changed=$(apt_ready)
  miss=$(missing_pkgs)
  if [ -n "$miss" ] || [ "$changed" = 1 ]; then
    log "installing: ${miss:-(source index only)}"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    [ -z "$miss" ] || $SUDO apt-get install -y -qq --no-install-recommends $miss >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
    log "generating zh_CN.UTF-8"
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
  # Scenarios under a Western code page start Wine in this locale (after locale-gen, which
  # rebuilds the locale archive from /etc/locale.gen).
  locale -a 2>/dev/null | grep -qi '^en_US\.utf-\?8$' || $SUDO localedef -i en_US -f UTF-8 en_US.UTF-8
}

# The i686 toolchain file lives in the repo; dependencies use it too.
TOOLCHAIN=$ROOT/cmake/mingw-i686.cmake

build_libjpeg() {
  local dst=$CACHE/mingw/libjpeg
  [ -f "$dst/lib/libjpeg.a" ] && [ -f "$dst/include/jpeglib.h" ] && return 0
  log "building libjpeg-turbo for mingw"
  local src=$CACHE/src
  mkdir -p "$src"
  if ! ls -d "$src"/libjpeg-turbo-*/ >/dev/null 2>&1; then
    (cd "$src" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1)
  fi
  local dir
  dir=$(ls -d "$src"/libjpeg-turbo-*/ | head -n 1)
  rm -rf "$CACHE/build/libjpeg"
  cmake -S "$dir" -B "$CACHE/build/libjpeg" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DCMAKE_INSTALL_PREFIX="$dst" -Wno-dev >/dev/null
  cmake --build "$CACHE/build/libjpeg" --target jpeg-static >/dev/null
  mkdir -p "$dst/lib" "$dst/include"
  cp "$CACHE/build/libjpeg/libjpeg.a" "$dst/lib/"
  cp "$dir/jpeglib.h" "$dir/jmorecfg.h" "$dir/jerror.h" "$CACHE/build/libjpeg/jconfig.h" "$dst/include/"
}

build_gtest_mingw() {
  local dst=$CACHE/mingw/gtest
  [ -f "$dst/lib/libgtest.a" ] && [ -f "$dst/lib/libgmock.a" ] && return 0
  log "building GoogleTest for mingw"
  rm -rf "$CACHE/build/gtest"
  cmake -S /usr/src/googletest -B "$CACHE/build/gtest" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -Dgtest_disable_pthreads=OFF -DCMAKE_INSTALL_PREFIX="$dst" >/dev/null
  cmake --build "$CACHE/build/gtest" >/dev/null
  cmake --install "$CACHE/build/gtest" >/dev/null
  [ -d "$dst/lib" ] || { mkdir -p "$dst/lib"; cp "$CACHE"/build/gtest/lib/*.a "$dst/lib/"; }
}

install_packages
mkdir -p "$CACHE"
build_libjpeg
build_gtest_mingw
log "ready"
