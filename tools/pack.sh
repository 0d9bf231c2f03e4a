#!/usr/bin/env bash
# Packs a product folder into a single setup executable, signed with Authenticode if asked:
#   tools/pack.sh [--sign <certificate.pfx> [--password-file <file>] [--timestamp <url>]]
#                 <product-dir> <out.exe>
# The product folder holds the product's files at their install-relative paths with the install
# manifest Setup.log (code page 936, "Name Type relative\path" per line) among them. The setup
# kit (the prebuilt setup program, see cmake/SetupKit.cmake) comes from $KORV_PACKKIT, by default
# build/win/packkit, which is built first when it is missing.
set -euo pipefail

usage() {
  echo "usage: $0 [--sign <certificate.pfx> [--password-file <file>] [--timestamp <url>]]" \
    "<product-dir> <out.exe>" >&2
  exit 2
}

options=()
while [ $# -gt 0 ]; do
  case $1 in
    --sign | --password-file | --timestamp)
      [ $# -ge 2 ] || usage
      options+=("$1" "$2")
      shift 2
      ;;
    -*) usage ;;
    *) break ;;
  esac
done
[ $# -eq 2 ] || usage

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kit="${KORV_PACKKIT:-$root/build/win/packkit}"

if [ ! -f "$kit/kit.env" ]; then
  if [ -n "${KORV_PACKKIT:-}" ]; then
    echo "pack: no setup kit at $kit (KORV_PACKKIT)" >&2
    exit 1
  fi
  echo "pack: building the setup kit in $root/build/win" >&2
  if [ ! -f "$root/build/win/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$root/build/win" \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release >&2
  fi
  cmake --build "$root/build/win" --target korv_packkit -j2 >&2
fi

exec python3 "$root/tools/pack/packer.py" --kit "$kit" ${options[@]+"${options[@]}"} "$1" "$2"
