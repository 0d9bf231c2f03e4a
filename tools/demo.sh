#!/usr/bin/env bash
# Builds the sample setup.exe and runs it under Wine in the zh_CN.UTF-8 locale.
#   On $DISPLAY when it is set, a person clicks through; the demo ends when the setup ends and
#   a screenshot is saved every few seconds under build/shots/ (demo-NNN.png).
#   Otherwise on its own Xvfb, where the end-to-end robot walks the wizard: welcome, licence,
#   folder and confirmation, a screenshot of each under build/shots/ (demo-page-N-<page>.png),
#   then Exit and Yes end the setup. The setup is stopped after KORV_DEMO_SECONDS (default 60)
#   if it is still running.
#   The product is the 32-bit build/win/setup.exe; where 32-bit Wine cannot run (no 32-bit
#   process support), the demo runs the 64-bit twin build/win64/setup.exe instead.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

tools/deps.sh
tools/build.sh win win64

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  loader=(wine)
  build="$root/build/win"
else
  echo "NOTE: 32-bit Wine cannot run on this machine; running the 64-bit twin build/win64/setup.exe."
  loader=(/usr/lib/wine/wine64)
  export WINELOADER=/usr/lib/wine/wine64
  build="$root/build/win64"
fi
setup="$build/setup.exe"
robot="$build/e2e/robot.exe"

export WINEPREFIX="$root/build/demo-prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
shots="$root/build/shots"
mkdir -p "$shots"

xvfb_pid=""
shooter_pid=""
walker_pid=""
cleanup() {
  [ -z "$shooter_pid" ] || kill "$shooter_pid" 2>/dev/null || true
  [ -z "$walker_pid" ] || kill "$walker_pid" 2>/dev/null || true
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

# No window manager runs on the private display: Wine then draws the windows' captions and
# frames itself, so the screenshots show them. On a desktop its window manager does.
x11_driver='HKCU\Software\Wine\X11 Driver'
for value in Managed Decorated; do
  if [ "$headless" -eq 1 ]; then
    "${loader[@]}" reg add "$x11_driver" /v "$value" /t REG_SZ /d N /f >/dev/null 2>&1 || true
  else
    "${loader[@]}" reg delete "$x11_driver" /v "$value" /f >/dev/null 2>&1 || true
  fi
done

robot_do() { "${loader[@]}" "$robot" "$@"; }

# The wizard's title: [Form] Caption of the product's Setup.ini (code page 936).
wizard_title() {
  iconv -f CP936 -t UTF-8 "$build/product/Setup.ini" | tr -d '\r' | awk '
    /^\[/ { inside = tolower($0) == "[form]"; next }
    inside && tolower(substr($0, 1, 8)) == "caption=" { print substr($0, 9); exit }'
}

# Waits until the wizard shows the page with this caption (page1 to page4), then saves the
# screen as demo-page-<name>.png.
shoot_page() {
  local title=$1 page=$2 name=$3 tries
  for tries in $(seq 100); do
    if robot_do state --title "$title" 2>/dev/null |
      awk -F'\t' -v page="$page" '$1 == "KorvPanel" && $4 == "visible" && $8 == page { found = 1 }
        END { exit !found }'; then
      sleep 0.5 # let the page finish painting
      import -window root "$shots/demo-page-$name.png"
      echo "demo: $name page: $shots/demo-page-$name.png"
      return 0
    fi
    sleep 0.2
  done
  echo "demo: the wizard did not show its $name page (after $tries tries)"
  return 1
}

# Walks the wizard as a person would on a headless machine, then leaves with Exit and Yes.
walk_wizard() {
  local title
  title=$(wizard_title)
  robot_do wait-window --title "$title" --timeout 60 >/dev/null || {
    echo "demo: the wizard '$title' did not appear"
    return 1
  }
  shoot_page "$title" page1 1-welcome || return 1
  local page name
  for page in 2:licence 3:folder 4:confirmation; do
    name=${page#*:}
    robot_do click --title "$title" --button '下一步 >' >/dev/null || return 1
    shoot_page "$title" "page${page%%:*}" "${page%%:*}-$name" || return 1
  done
  robot_do click --title "$title" --button 退出 >/dev/null || return 1
  robot_do wait-window --title Confirm --timeout 30 >/dev/null || return 1
  echo "demo: Exit, then Yes"
  robot_do click --title Confirm --id 6 >/dev/null # Yes
}

if [ "$headless" -eq 0 ]; then
  (
    n=0
    while true; do
      sleep 3
      n=$((n + 1))
      import -window root "$shots/demo-$(printf %03d "$n").png" 2>/dev/null || true
    done
  ) &
  shooter_pid=$!
fi

echo "demo: starting $setup"
"${loader[@]}" "$setup" &
setup_pid=$!
if [ "$headless" -eq 1 ]; then
  walk_wizard &
  walker_pid=$!
  seconds="${KORV_DEMO_SECONDS:-60}"
  for _ in $(seq "$seconds"); do
    kill -0 "$setup_pid" 2>/dev/null || break
    sleep 1
  done
  if kill -0 "$setup_pid" 2>/dev/null; then
    echo "demo: stopping the setup after ${seconds}s (headless)"
    kill "$walker_pid" 2>/dev/null || true
  else
    status=0
    wait "$setup_pid" || status=$?
    echo "demo: the setup ended with exit code $status"
  fi
  wait "$walker_pid" 2>/dev/null || echo "demo: the walk through the wizard did not finish"
  walker_pid=""
else
  wait "$setup_pid" || true
fi
echo "demo: screenshots are in $shots"
