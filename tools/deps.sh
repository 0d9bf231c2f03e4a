#!/usr/bin/env bash
# Installs what the builds, tests and the demo need on Debian, and only what is missing:
# compilers (native g++, clang with libFuzzer and the sanitizers, MinGW-w64), GoogleTest, Python,
# Wine (64- and 32-bit), Xvfb, screenshot tools, a CJK font, the zh_CN.UTF-8 locale in which
# Wine uses code page 936 and the en_US.UTF-8 locale of the English-system scenarios, and what the
# packer signs with (osslsigncode, openssl for the checks' throw-away certificate) and its checks
# read version resources with (python3-pefile).
set -euo pipefail

packages=(
  cmake g++ libgtest-dev python3
  clang libclang-rt-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386
  xvfb xauth x11-utils imagemagick fonts-wqy-microhei locales
  osslsigncode openssl python3-pefile
)

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
