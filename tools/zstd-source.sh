#!/usr/bin/env bash
# Debian's source package of libzstd, from which the MinGW builds compile the payload decoder.
#   tools/zstd-source.sh dir     prints the folder of the unpacked source (it may not exist yet)
#   tools/zstd-source.sh fetch   fetches it with apt-get source (a deb-src entry is needed, see
#                                tools/deps.sh), checks the tarball's SHA-256 against the .dsc
#                                and unpacks it there with Debian's patches
# The folder is a cache outside the repository: KORV_CACHE, or ~/.cache/korvello.
set -euo pipefail

cache="${KORV_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/korvello}"
source_dir="$cache/libzstd"

case "${1:-}" in
  dir)
    echo "$source_dir"
    exit 0
    ;;
  fetch) ;;
  *)
    echo "usage: $0 dir|fetch" >&2
    exit 2
    ;;
esac

[ -f "$source_dir/lib/zstd.h" ] && exit 0

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# apt fetches as its own user where it can write.
chmod 755 "$work"
echo "zstd-source: fetching Debian's source package libzstd"
(cd "$work" && apt-get source --download-only libzstd >/dev/null)
dsc="$(ls "$work"/libzstd_*.dsc)"

# Each file the .dsc lists, and the upstream tarball above all, must have the SHA-256 it names.
tarball=""
while read -r sum size name; do
  [ -n "$name" ] || continue
  actual="$(sha256sum "$work/$name" | cut -d' ' -f1)"
  if [ "$actual" != "$sum" ]; then
    echo "zstd-source: $name has the SHA-256 $actual, but $(basename "$dsc") names $sum" >&2
    exit 1
  fi
  case "$name" in *.orig.tar.gz | *.orig.tar.xz | *.orig.tar.bz2) tarball="$name" ;; esac
done < <(sed -n '/^Checksums-Sha256:/,/^[^ ]/{/^ /p}' "$dsc")
if [ -z "$tarball" ]; then
  echo "zstd-source: $(basename "$dsc") lists no upstream tarball" >&2
  exit 1
fi
echo "zstd-source: $tarball matches the SHA-256 of $(basename "$dsc")"

dpkg-source --no-check -x "$dsc" "$work/unpacked" >/dev/null
mkdir -p "$cache"
rm -rf "$source_dir"
mv "$work/unpacked" "$source_dir"
echo "zstd-source: unpacked in $source_dir"
