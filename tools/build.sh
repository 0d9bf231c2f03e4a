#!/usr/bin/env bash
# Configures and builds the three builds, or the ones named:
#   tools/build.sh [host] [win] [win64]
#   host   native g++, simulated Windows back end, unit tests     -> build/host
#   win    MinGW-w64 i686: the product, build/win/setup.exe       -> build/win
#   win64  MinGW-w64 x86_64 twin, for 64-bit-only Wine            -> build/win64
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
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
  echo "== build/$build"
  cmake -S "$root" -B "$root/build/$build" "${args[@]}"
  cmake --build "$root/build/$build" -j2
done
