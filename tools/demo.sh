#!/usr/bin/env bash
# Builds the sample setup.exe and runs it under Wine in the zh_CN.UTF-8 locale. Drive D: of the
# demo's Wine prefix is the folder build/demo-prefix/drive_d, so the product is installed there
# and never onto a real disk of this machine.
#   On $DISPLAY when it is set, a person clicks through; a screenshot is saved every few seconds
#   under build/shots/ (demo-NNN.png). The demo ends when the setup ends, or, when the setup
#   started the installed Korvello, when the person closes it.
#   Otherwise on its own Xvfb, where the end-to-end robot installs the product as a user would,
#   afresh each time (the previous demo installation is removed first): welcome, licence, folder
#   and confirmation with a screenshot of each (demo-page-N-<page>.png), Next on the
#   confirmation page, the progress window (demo-progress.png), the finish page
#   (demo-page-5-finish.png) and "完毕"; then the installed Korvello that the setup starts
#   (demo-product.png) is closed; last, the uninstaller removes it again, started from Wine's
#   list of installed programs (demo-uninstall-question.png, demo-uninstall-done.png). The
#   screenshots are under build/shots/. The demo prints where the product was installed and fails
#   when the installation or the removal did not finish. The setup is
#   stopped after KORV_DEMO_SECONDS (default 240) if it is still running.
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
drive_d="$WINEPREFIX/drive_d"

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

# The setup proposes a folder on D:. Wine learns its drives when its services start, so the
# prefix's programs are stopped once the drive is mapped.
if [ "$headless" -eq 1 ]; then
  # A headless demo installs afresh: no earlier demo installation on D: and no record of one.
  rm -rf "$drive_d"
  "${loader[@]}" reg delete 'HKCU\Software\KORVL' /f >/dev/null 2>&1 || true
fi
mkdir -p "$drive_d"
ln -sfn ../drive_d "$WINEPREFIX/dosdevices/d:"
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true

robot_do() { "${loader[@]}" "$robot" "$@"; }

# The wizard is the setup's own window class: when the setup makes the program group, Wine's
# Program Manager opens a window with the wizard's title too.
form_class=KorvForm
product_title=Korvello
product_class=TKorv30

# The wizard's title: [Form] Caption of the product's Setup.ini (code page 936).
wizard_title() {
  iconv -f CP936 -t UTF-8 "$build/product/Setup.ini" | tr -d '\r' | awk '
    /^\[/ { inside = tolower($0) == "[form]"; next }
    inside && tolower(substr($0, 1, 8)) == "caption=" { print substr($0, 9); exit }'
}

# Waits until the wizard shows the page with this caption (page1, page2...), then saves the
# screen as demo-page-<name>.png.
shoot_page() {
  local title=$1 page=$2 name=$3 tries
  for tries in $(seq 100); do
    if robot_do state --title "$title" --class "$form_class" 2>/dev/null |
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

wizard_click() {
  local title=$1
  shift
  robot_do click --title "$title" --class "$form_class" "$@" >/dev/null || {
    echo "demo: cannot click $* in the wizard"
    return 1
  }
}

# Is the wizard's "完毕" button shown and enabled (the installation has finished)?
finish_enabled() {
  robot_do state --title "$1" --class "$form_class" 2>/dev/null |
    awk -F'\t' '$1 == "Button" && $4 == "visible" && $5 == "enabled" && $8 == "完毕" { found = 1 }
      END { exit !found }'
}

# Installs the product as a person would on a headless machine: the four pages with Next, Next on
# the confirmation page, the progress window, the finish page and "完毕".
install_through_wizard() {
  local title
  title=$(wizard_title)
  robot_do wait-window --title "$title" --class "$form_class" --timeout 60 >/dev/null || {
    echo "demo: the wizard '$title' did not appear"
    return 1
  }
  shoot_page "$title" page1 1-welcome || return 1
  local page name
  for page in 2:licence 3:folder 4:confirmation; do
    name=${page#*:}
    wizard_click "$title" --button '下一步 >' || return 1
    shoot_page "$title" "page${page%%:*}" "${page%%:*}-$name" || return 1
  done
  echo "demo: Next on the confirmation page starts the installation"
  wizard_click "$title" --button '下一步 >' || return 1
  robot_do wait-window --title 安装 --timeout 60 >/dev/null || {
    echo "demo: the progress window did not appear"
    return 1
  }
  sleep 1 # the bar and the status line have moved on
  import -window root "$shots/demo-progress.png"
  echo "demo: progress: $shots/demo-progress.png"
  local tries
  for tries in $(seq 900); do
    finish_enabled "$title" && break
    sleep 0.2
  done
  finish_enabled "$title" || {
    echo "demo: the wizard did not come back on its finish page (after $tries tries)"
    return 1
  }
  # The finish page is the book's sixth page; the user sees it fifth.
  shoot_page "$title" page6 5-finish || return 1
  echo "demo: 完毕"
  wizard_click "$title" --button 完毕
}

# Where the setup recorded the installation (HKCU\Software\KORVL\Shell\PathName), as Windows
# and this machine see it; prints nothing when there is no installation with its KORV.exe.
report_installation() {
  local folder host
  folder=$("${loader[@]}" reg query 'HKCU\Software\KORVL\Shell\PathName' /v Path 2>/dev/null |
    tr -d '\r' | awk '$1 == "Path" { sub(/^ *Path +REG_SZ +/, ""); print }')
  case "$folder" in
    [Dd]:\\*) ;;
    *) return 1 ;;
  esac
  host="$drive_d/${folder#??\\}"
  host="${host//\\//}"
  host="${host%/}"
  [ -f "$host/KORV.exe" ] || return 1
  echo "demo: Korvello is installed in $folder"
  echo "demo:   on this machine: $host ($(find "$host" -type f | wc -l) files)"
}

# The setup starts the installed Korvello when it ends: a screenshot of it, then it is closed.
show_product() {
  robot_do wait-window --title "$product_title" --class "$product_class" --timeout 60 >/dev/null || {
    echo "demo: the installed Korvello did not start"
    return 1
  }
  sleep 1 # let it paint
  import -window root "$shots/demo-product.png"
  echo "demo: the installed Korvello: $shots/demo-product.png"
  if ! robot_do close --title "$product_title" --class "$product_class" >/dev/null ||
    ! robot_do wait-gone --title "$product_title" --class "$product_class" --timeout 30 >/dev/null; then
    echo "demo: Korvello did not close"
    return 1
  fi
  echo "demo: Korvello closed"
}

# Removes the product again as a person would: Wine's list of installed programs starts the
# uninstall entry's command; the question (demo-uninstall-question.png) is answered Yes and the
# closing message (demo-uninstall-done.png) OK. Fails when the install folder stays.
remove_product() {
  local title box
  title="$(wizard_title) 卸载"
  "${loader[@]}" uninstaller --remove Korvello >/dev/null 2>&1 &
  local remover=$!
  for box in question done; do
    robot_do wait-window --title "$title" --timeout 60 >/dev/null || {
      echo "demo: the uninstaller's $box box did not appear"
      return 1
    }
    sleep 0.5 # let it paint
    import -window root "$shots/demo-uninstall-$box.png"
    echo "demo: uninstaller: $shots/demo-uninstall-$box.png"
    robot_do click --title "$title" --id "$([ "$box" = question ] && echo 6 || echo 1)" >/dev/null &&
      robot_do wait-gone --title "$title" --timeout 30 >/dev/null || {
      echo "demo: cannot answer the uninstaller's $box box"
      return 1
    }
  done
  wait "$remover" || true
  if report_installation >/dev/null; then
    echo "demo: Korvello is still installed after the uninstaller ran"
    return 1
  fi
  echo "demo: Korvello removed"
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
  install_through_wizard &
  walker_pid=$!
  seconds="${KORV_DEMO_SECONDS:-240}"
  for _ in $(seq "$seconds"); do
    kill -0 "$walker_pid" 2>/dev/null || break
    sleep 1
  done
  installed=1
  if kill -0 "$walker_pid" 2>/dev/null; then
    echo "demo: stopping the setup after ${seconds}s (headless)"
    kill "$walker_pid" 2>/dev/null || true
    installed=0
  fi
  wait "$walker_pid" || installed=0
  walker_pid=""
  # After "完毕" the setup starts the installed Korvello and ends.
  status=""
  if [ "$installed" -eq 1 ]; then
    for _ in $(seq 60); do
      kill -0 "$setup_pid" 2>/dev/null || break
      sleep 1
    done
  fi
  if ! kill -0 "$setup_pid" 2>/dev/null; then
    status=0
    wait "$setup_pid" || status=$?
    echo "demo: the setup ended with exit code $status"
  fi
  if [ "$installed" -eq 0 ] || [ "$status" != 0 ] || ! report_installation || ! show_product; then
    echo "demo: the installation did not finish; screenshots are in $shots"
    exit 1
  fi
  remove_product || {
    echo "demo: the removal did not finish; screenshots are in $shots"
    exit 1
  }
else
  wait "$setup_pid" || true
  report_installation || echo "demo: nothing was installed"
  if robot_do wait-window --title "$product_title" --class "$product_class" --timeout 20 \
    >/dev/null 2>&1; then
    echo "demo: the installed Korvello is running; close it to end the demo"
    while ! robot_do wait-gone --title "$product_title" --class "$product_class" --timeout 600 \
      >/dev/null 2>&1; do
      :
    done
  fi
fi
echo "demo: screenshots are in $shots"
