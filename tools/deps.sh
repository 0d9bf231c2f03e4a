#!/usr/bin/env bash
# Installs what the builds, tests and the demo need on Debian, and only what is missing:
# compilers (native g++, clang with libFuzzer and the sanitizers, MinGW-w64), GoogleTest, Python,
# Wine (64- and 32-bit), Xvfb, screenshot tools, a CJK font, the zh_CN.UTF-8 locale in which
# Wine uses code page 936 and the en_US.UTF-8 locale of the English-system scenarios; libzstd
# (the host build's payload decoder) and Debian's source package of it, from which the MinGW
# builds compile the decoder (unpacked in the cache folder that tools/zstd-source.sh names); and
# what the packer signs with (osslsigncode, openssl for the checks' throw-away certificate) and
# its checks read version resources with (python3-pefile).
#   tools/deps.sh           what the builds, the tests and the demo need
#   tools/deps.sh --bench   that and nsis, whose makensis tools/bench.sh packs its peer with
set -euo pipefail

packages=(
  cmake g++ libgtest-dev python3 libzstd-dev zstd dpkg-dev
  clang libclang-rt-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386
  xvfb xauth x11-utils imagemagick fonts-wqy-microhei locales
  osslsigncode openssl python3-pefile
)
case ${1:-} in
  '') ;;
  --bench) packages+=(nsis) ;;
  *)
    echo "usage: tools/deps.sh [--bench]" >&2
    exit 2
    ;;
esac

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null; then
    sudo "$@"
  else
    echo "deps: need root to run: $*" >&2
    exit 1
  fi
}

is_installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "deps: enabling the i386 architecture (for wine32)"
  as_root dpkg --add-architecture i386
fi

missing=()
for package in "${packages[@]}"; do
  is_installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  as_root apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

# zh_CN.UTF-8 for Wine's code page 936; en_US.UTF-8 for the scenarios on an English system
# (code page 1252), where the setup must show the same Chinese.
for wanted in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qix "$wanted\.utf-\?8"; then
    echo "deps: generating the $wanted.UTF-8 locale"
    if grep -q "^# *$wanted.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
      as_root sed -i "s/^# *$wanted.UTF-8 UTF-8/$wanted.UTF-8 UTF-8/" /etc/locale.gen
    elif ! grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$wanted.UTF-8 UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    fi
    as_root locale-gen
  fi
done

# The MinGW builds compile libzstd's decoder from Debian's own source package: a source entry of
# our own for the suites the system installs from, then the package fetched, its tarball checked
# against the .dsc's SHA-256 and unpacked (with Debian's patches) outside the repository.
source_list=/etc/apt/sources.list.d/korvello-sources.sources
if [ ! -f "$source_list" ]; then
  echo "deps: adding a source entry for Debian's source packages ($source_list)"
  codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
  as_root tee "$source_list" >/dev/null <<LIST
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
LIST
  as_root apt-get update
fi
"$(dirname "${BASH_SOURCE[0]}")/zstd-source.sh" fetch
