#!/usr/bin/env bash
# Builds the sample setup.exe and runs it under Wine in the zh_CN.UTF-8 locale.
#   On $DISPLAY when it is set (the demo ends when the setup ends); otherwise on its own Xvfb,
#   stopped after KORV_DEMO_SECONDS (default 60). Either way a screenshot is saved every few
#   seconds under build/shots/.
#   The product is the 32-bit build/win/setup.exe; where 32-bit Wine cannot run (no 32-bit
#   process support), the demo runs the 64-bit twin build/win64/setup.exe instead.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

tools/deps.sh
tools/build.sh win win64

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  loader=(wine)
  setup="$root/build/win/setup.exe"
else
  echo "NOTE: 32-bit Wine cannot run on this machine; running the 64-bit twin build/win64/setup.exe."
  loader=(/usr/lib/wine/wine64)
  export WINELOADER=/usr/lib/wine/wine64
  setup="$root/build/win64/setup.exe"
fi

export WINEPREFIX="$root/build/demo-prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
shots="$root/build/shots"
mkdir -p "$shots"

xvfb_pid=""
shooter_pid=""
cleanup() {
  [ -z "$shooter_pid" ] || kill "$shooter_pid" 2>/dev/null || true
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  display=99
  while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$display"
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  echo "demo: running on a private Xvfb display $DISPLAY"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "demo: creating the Wine prefix $WINEPREFIX"
  "${loader[@]}" wineboot -i >/dev/null 2>&1
fi

(
  n=0
  while true; do
    sleep 3
    n=$((n + 1))
    import -window root "$shots/demo-$(printf %03d "$n").png" 2>/dev/null || true
  done
) &
shooter_pid=$!

echo "demo: starting $setup"
"${loader[@]}" "$setup" &
setup_pid=$!
if [ "$headless" -eq 1 ]; then
  seconds="${KORV_DEMO_SECONDS:-60}"
  for _ in $(seq "$seconds"); do
    kill -0 "$setup_pid" 2>/dev/null || break
    sleep 1
  done
  if kill -0 "$setup_pid" 2>/dev/null; then
    echo "demo: stopping the setup after ${seconds}s (headless)"
  fi
else
  wait "$setup_pid" || true
fi
echo "demo: screenshots are in $shots"
