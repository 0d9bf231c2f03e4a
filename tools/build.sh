#!/usr/bin/env bash
# Configures and builds the three builds, or the ones named:
#   tools/build.sh [host] [win] [win64]
#   host   native g++, simulated Windows back end, unit tests     -> build/host
#   win    MinGW-w64 i686: the product, build/win/setup.exe       -> build/win
#   win64  MinGW-w64 x86_64 twin, for 64-bit-only Wine            -> build/win64
# KORV_BUILD_ROOT puts the builds in another folder than build/ (tools/test.sh passes it on).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_root="$(realpath -m "${KORV_BUILD_ROOT:-$root/build}")"
builds=("$@")
[ ${#builds[@]} -gt 0 ] || builds=(host win win64)

for build in "${builds[@]}"; do
  case "$build" in
    host) args=(-DCMAKE_BUILD_TYPE=Debug) ;;
    win) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    *)
      echo "build: unknown build '$build' (host, win, win64)" >&2
      exit 2
      ;;
  esac
  echo "== ${build_root#"$root"/}/$build"
  cmake -S "$root" -B "$build_root/$build" "${args[@]}"
  cmake --build "$build_root/$build" -j2
done
