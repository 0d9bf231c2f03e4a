# shellcheck shell=bash disable=SC2034  # constants used by the scenarios that source it
# Shared by the end-to-end scenarios. A scenario sources this file and calls
#   e2e_begin <scenario-name> <build-dir>
# which gives it its own virtual display, a fresh Wine prefix copied from the build's template
# (booted once per build directory and locale) and a running Wine server; everything is stopped
# again when the scenario's shell exits. The locale is E2E_LOCALE from the environment,
# zh_CN.UTF-8 when unset; another locale runs the same checks under its own ANSI code page.
# Checks stop the scenario with "FAIL: ..." (exit 1), a screenshot and the list of windows; a
# build whose Wine cannot run programs here skips (exit 77).

set -u -o pipefail

readonly E2E_SKIP_CODE=77
readonly E2E_DEFAULT_LOCALE=zh_CN.UTF-8
# The Unix locale Wine runs in; it gives Wine its ANSI code page: 936 for zh_CN.UTF-8, 1252 for
# en_US.UTF-8. The setup's texts and files must be the same in every one.
readonly E2E_LOCALE=${E2E_LOCALE:-$E2E_DEFAULT_LOCALE}
readonly E2E_SCREEN=1024x768x24

# Titles and texts the setup shows.
readonly E2E_NOTICE_TITLE='运行提示'
readonly E2E_ALREADY_RUNNING_TEXT='安装程序已经运行'
readonly E2E_PRODUCT_RUNNING_TEXT='Korvello正在运行中，只有结束其\r运行后，才能进行软件更新。\r\r要结束正在运行的Korvello吗?'
readonly E2E_EXIT_TITLE='退出安装'
readonly E2E_EXIT_TEXT='确定要退出安装程序吗?'
readonly E2E_PRODUCT_CLASS='TKorv30'
readonly E2E_PRODUCT_TITLE='Korvello'
# Message box answers.
readonly IDOK=1 IDCANCEL=2 IDYES=6 IDNO=7
# The robot's own exit codes for a window or control that is not there and for one a user could
# not reach (e2e/robot/robot.cpp); any other failure of the robot is neither.
readonly E2E_ROBOT_NOT_FOUND=10 E2E_ROBOT_REFUSED=11

# The staged files and the product folder's files they are copies of.
readonly E2E_STAGED_FILES=(orvlSetup.log orvlSetup.ini SQXY.txt)
readonly E2E_STAGED_SOURCES=(Setup.log Setup.ini 用户授权协议.txt)

E2E_NAME=''
E2E_RUN=''
E2E_XVFB_PID=''
E2E_SERVER_STARTED=''
E2E_BACKGROUND_PIDS=()
# Commands run when the scenario ends, pass or fail, once no program of the prefix runs any more
# (a drive of the scenario's own is unmounted there).
E2E_CLEANUPS=()

# ---- reporting -----------------------------------------------------------------------------

e2e_log() { printf '[%s] %s\n' "$E2E_NAME" "$*"; }

e2e_skip() {
  printf 'SKIP: %s\n' "$*"
  exit "$E2E_SKIP_CODE"
}

# Leaves evidence for the reader: the windows on screen and a screenshot.
e2e_fail() {
  printf 'FAIL: %s\n' "$*"
  if [[ -n "${WINEPREFIX:-}" && -n "$E2E_SERVER_STARTED" ]]; then
    printf 'top-level windows (handle, pid, visibility, class, title):\n'
    e2e_robot list 2>&1 | grep -v $'\thidden\t' | sed 's/^/  /'
  fi
  if [[ -n "${DISPLAY:-}" && -n "$E2E_XVFB_PID" ]]; then
    local shot="$E2E_SHOTS/e2e-$E2E_NAME-failure.png"
    mkdir -p "$E2E_SHOTS" && import -display "$DISPLAY" -window root "png:$shot" 2>/dev/null &&
      printf 'screenshot: %s\n' "$shot"
  fi
  exit 1
}

e2e_pass() {
  e2e_log "passed"
  exit 0
}

e2e_expect_eq() {
  local actual=$1 expected=$2 what=$3
  [[ "$actual" == "$expected" ]] || e2e_fail "$what: expected '$expected', got '$actual'"
}

# ---- start and stop ------------------------------------------------------------------------

e2e_begin() {
  E2E_NAME=$(e2e_run_name "$1")
  local build_dir=${2:-}
  [[ -n "$build_dir" ]] || { echo "usage: $0 <build-dir>" >&2; exit 2; }
  local config="$build_dir/e2e/e2e-config.sh"
  [[ -f "$config" ]] || e2e_fail "$config is missing: configure and build $build_dir first"
  # shellcheck source=/dev/null
  source "$config"

  [[ -x "$E2E_WINE" ]] || e2e_skip "$E2E_WINE is not installed, so $E2E_ARCH programs cannot run"
  [[ -f "$E2E_ROBOT" ]] || e2e_fail "the robot $E2E_ROBOT is not built"
  local tool
  for tool in Xvfb import convert cmp iconv flock; do
    command -v "$tool" >/dev/null || e2e_fail "$tool is not installed"
  done

  E2E_RUN="$E2E_WORK/run/$E2E_NAME"
  rm -rf "$E2E_RUN"
  mkdir -p "$E2E_RUN" "$E2E_SHOTS"
  trap e2e_end EXIT

  e2e_use_locale
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES='mscoree,mshtml='
  E2E_WINESERVER=$(e2e_find_wineserver) || e2e_skip "no wineserver is installed"
  export WINESERVER=$E2E_WINESERVER
  e2e_start_display
  e2e_expect_loader_starts
  e2e_ensure_template

  [[ -f "$E2E_SETUP" ]] || e2e_fail "$E2E_SETUP is not built"
  [[ -d "$E2E_PRODUCT" ]] || e2e_fail "the product folder $E2E_PRODUCT is not built"
  cp -a "$(e2e_template)" "$E2E_RUN/prefix" || e2e_fail "cannot copy the prefix"
  export WINEPREFIX="$E2E_RUN/prefix"
  "$E2E_WINESERVER" -p || e2e_fail "the Wine server did not start"
  E2E_SERVER_STARTED=yes
  e2e_log "display $DISPLAY, prefix $WINEPREFIX"
  e2e_expect_code_page
}

# The scenario's name, with the locale added when it is not the default one (the ctest name
# e2e.<name>.en_US runs as <name>.en_US), so runs in two locales keep their evidence apart.
e2e_run_name() {
  local name=$1
  if [[ "$E2E_LOCALE" == "$E2E_DEFAULT_LOCALE" ]]; then
    echo "$name"
  else
    echo "$name.${E2E_LOCALE%%.*}"
  fi
}

# Runs on every exit of the scenario's shell, passing or not.
e2e_end() {
  local status=$?
  if [[ -n "$E2E_SERVER_STARTED" ]]; then
    "$E2E_WINESERVER" -k 2>/dev/null
    E2E_SERVER_STARTED=''
  fi
  local pid
  for pid in "${E2E_BACKGROUND_PIDS[@]}"; do
    kill "$pid" 2>/dev/null
  done
  if ((${#E2E_CLEANUPS[@]} > 0)); then
    "$E2E_WINESERVER" -w 2>/dev/null
    local cleanup
    for cleanup in "${E2E_CLEANUPS[@]}"; do
      eval "$cleanup"
    done
  fi
  if [[ -n "$E2E_XVFB_PID" ]]; then
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
  fi
  # A passed scenario's prefix is of no further use; a failed one is kept for a look inside.
  if [[ $status == 0 && -n "$E2E_RUN" && -d "$E2E_RUN/prefix" ]]; then
    "$E2E_WINESERVER" -w 2>/dev/null
    rm -rf "$E2E_RUN/prefix"
  fi
  exit "$status"
}

# Is the locale generated? `locale -a` spells zh_CN.UTF-8 as zh_CN.utf8.
e2e_locale_available() {
  locale -a 2>/dev/null | grep -qix "${E2E_LOCALE%%.*}\.utf-\?8"
}

# Wine takes its ANSI code page from the locale of the programs it starts. Only UTF-8 locales:
# the robot's arguments and output and the host's file names are UTF-8. The texts are Chinese
# in every locale, so a Chinese font is needed in every one.
e2e_use_locale() {
  [[ "$E2E_LOCALE" =~ ^[a-z]{2,3}_[A-Z]{2}\.UTF-8$ ]] ||
    e2e_fail "E2E_LOCALE='$E2E_LOCALE' is no UTF-8 locale such as zh_CN.UTF-8 or en_US.UTF-8"
  if ! e2e_locale_available; then
    if [[ $(id -u) == 0 && -f /etc/locale.gen ]] && command -v locale-gen >/dev/null; then
      if grep -q "^# *$E2E_LOCALE UTF-8" /etc/locale.gen; then
        sed -i "s/^# *$E2E_LOCALE UTF-8/$E2E_LOCALE UTF-8/" /etc/locale.gen
      elif ! grep -q "^$E2E_LOCALE UTF-8" /etc/locale.gen; then
        echo "$E2E_LOCALE UTF-8" >>/etc/locale.gen
      fi
      locale-gen >/dev/null
    fi
    e2e_locale_available ||
      e2e_fail "the $E2E_LOCALE locale is missing (enable it in /etc/locale.gen, run locale-gen)"
  fi
  fc-list :lang=zh 2>/dev/null | grep -q . ||
    e2e_fail "no Chinese font is installed (install fonts-wqy-microhei)"
  export LANG=$E2E_LOCALE LC_ALL=$E2E_LOCALE
}

# The ANSI code page Wine gives programs in the prefix now (it writes the locale's code page
# into the registry when a program starts).
e2e_ansi_code_page() {
  "$E2E_WINE" reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP 2>/dev/null |
    tr -d '\r' | awk '$1 == "ACP" { print $3 }'
}

# A locale that silently fell back to another (a missing locale runs as C, code page 1252)
# would test the wrong system: the code page must be the locale's.
e2e_expect_code_page() {
  local expected code_page
  case ${E2E_LOCALE%%.*} in
    zh_CN) expected=936 ;;
    en_US) expected=1252 ;;
    *) expected='' ;;
  esac
  code_page=$(e2e_ansi_code_page)
  e2e_log "locale $E2E_LOCALE, ANSI code page ${code_page:-unknown}"
  [[ -z "$expected" ]] ||
    e2e_expect_eq "$code_page" "$expected" "Wine's ANSI code page in $E2E_LOCALE"
}

e2e_find_wineserver() {
  local candidate
  for candidate in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver32 /usr/bin/wineserver; do
    if [[ -x "$candidate" ]]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}

# A display of our own on a free number, so scenarios never meet another session's windows.
e2e_start_display() {
  local number_file="$E2E_RUN/display-number"
  Xvfb -displayfd 3 -screen 0 "$E2E_SCREEN" -nolisten tcp \
    3>"$number_file" >"$E2E_RUN/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local tries
  for ((tries = 0; tries < 100; tries++)); do
    [[ -s "$number_file" ]] && break
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  [[ -s "$number_file" ]] || e2e_fail "Xvfb did not start: $(tail -3 "$E2E_RUN/xvfb.log")"
  DISPLAY=":$(head -1 "$number_file")"
  export DISPLAY
}

# Skips the scenario when this machine cannot start the build's Wine loader at all, asked afresh
# in every run and of the loader alone: `--version` starts no Windows program and no server.
# Only the kernel's refusal to start the loader counts, told by the exit status bash gives:
#   126  the kernel refuses the file's format: a 32-bit loader on a kernel without 32-bit
#        support ("cannot execute binary file: Exec format error");
#   127  the kernel cannot find the loader's ELF interpreter: a 32-bit loader without the 32-bit
#        C library ("cannot execute: required file not found"; older bash says "No such file or
#        directory").
# (A missing loader skips before, in e2e_begin.) What Wine itself prints is no verdict: a loader
# that starts but lacks the rest of its Wine ("wine: could not load ntdll.so: ... No such file
# or directory", exit status 1), or a wineboot or program that fails later, fails the scenario,
# so a machine that can run the 32-bit setup never loses its scenarios to a skip.
e2e_expect_loader_starts() {
  local output status
  output=$("$E2E_WINE" --version 2>&1)
  status=$?
  case $status in
    0) ;;
    126 | 127)
      e2e_skip "this machine cannot start $E2E_WINE, so $E2E_ARCH programs cannot run here" \
        "(exit status $status: $output)"
      ;;
    *) e2e_fail "$E2E_WINE --version failed (exit status $status): $output" ;;
  esac
}

# The template prefix of the scenario's locale. Wine keeps what it derives from the locale in the
# prefix (the registry's code page and regional settings, rewritten when a program starts in
# another locale), so each locale has a template of its own, booted in that locale.
e2e_template() { echo "$E2E_WORK/prefix-template-$E2E_LOCALE"; }

# The template prefix is booted once per build directory and locale (under a lock, so parallel
# runs wait). The loader started (e2e_expect_loader_starts), so any failure here is a failure.
e2e_ensure_template() {
  local template
  template=$(e2e_template)
  local lock
  exec {lock}>"$E2E_WORK/template.lock"
  flock "$lock"
  if [[ ! -f "$template/.e2e-ready" ]]; then
    e2e_log "booting the template prefix (once per build directory and locale)"
    local fresh="$template.new" log="$template.log" status
    rm -rf "$template" "$fresh"
    local winearch=$E2E_ARCH
    WINEPREFIX=$fresh WINEARCH=$winearch "$E2E_WINE" wineboot -i >"$log" 2>&1
    status=$?
    WINEPREFIX=$fresh "$E2E_WINESERVER" -w 2>/dev/null
    [[ $status == 0 ]] || e2e_fail "wineboot failed (exit status $status): $(tail -5 "$log")"
    local answer
    answer=$(WINEPREFIX=$fresh "$E2E_WINE" "$E2E_ROBOT" probe 2>>"$log")
    status=$?
    [[ "$answer" == robot-ok ]] ||
      e2e_fail "the robot did not run in the new prefix (exit $status): $(tail -5 "$log")"
    # A crashing program must end instead of waiting behind Wine's crash dialog.
    WINEPREFIX=$fresh "$E2E_WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
      /t REG_DWORD /d 0 /f >>"$log" 2>&1 || e2e_fail "cannot configure the prefix: $(tail -3 "$log")"
    # No window manager runs on the virtual display: Wine draws captions and frames itself and
    # maximises to the whole screen, so screenshots show windows as a desktop would.
    local value
    for value in Managed Decorated; do
      WINEPREFIX=$fresh "$E2E_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v "$value" \
        /t REG_SZ /d N /f >>"$log" 2>&1 || e2e_fail "cannot configure the prefix: $(tail -3 "$log")"
    done
    WINEPREFIX=$fresh e2e_provide_simsun
    WINEPREFIX=$fresh "$E2E_WINESERVER" -k 2>/dev/null
    WINEPREFIX=$fresh "$E2E_WINESERVER" -w 2>/dev/null
    touch "$fresh/.e2e-ready"
    mv "$fresh" "$template"
  fi
  flock -u "$lock"
  exec {lock}>&-
}

# ---- programs ------------------------------------------------------------------------------

e2e_robot() { "$E2E_WINE" "$E2E_ROBOT" "$@"; }

# Prints a shell link's target and working folder (tab-separated) as the shell reads them. Wine's
# Program Manager shows the group it fills in a folder window of its own, which reads the links
# while they are new; one read that fails is told and tried again, up to three times in all.
# Usage: e2e_read_link FILE
e2e_read_link() {
  local attempt status complaint
  complaint=$(mktemp)
  for attempt in 1 2 3; do
    status=0
    e2e_robot link "$1" 2>"$complaint" || status=$?
    if ((status == 0)); then
      rm -f "$complaint"
      return 0
    fi
    e2e_log "reading the link $1, attempt $attempt: exit status $status, $(<"$complaint")" >&2
    sleep 1
  done
  rm -f "$complaint"
  return 1
}

# What the robot's exit status says of the window or control it looked for: true when it found
# it, false when it said "not found" (its own exit code). Any other status (the robot refused,
# failed, could not start or crashed) stops the scenario: a failing robot never passes for an
# absent window. Usage: e2e_robot_found STATUS WHAT
e2e_robot_found() {
  local status=$1 what=$2
  case $status in
    0) return 0 ;;
    "$E2E_ROBOT_NOT_FOUND") return 1 ;;
    *) e2e_fail "the robot failed (exit status $status) looking for $what" ;;
  esac
}

# Checks that no window the robot's query matches is there now; FAILURE says what it means if
# one is. Usage: e2e_expect_no_window FAILURE QUERY... (QUERY: --title T, --class C, --hidden)
e2e_expect_no_window() {
  local failure=$1 status
  shift
  e2e_robot exists "$@" >/dev/null
  status=$?
  if e2e_robot_found "$status" "a window with $*"; then
    e2e_fail "$failure"
  fi
}

# Starts a Windows program from its own folder, as a double-click would, in the background.
# The Wine loader becomes the program's process, so its exit status is the program's exit code.
# Usage: e2e_start VAR program.exe [ARGUMENT...] -- sets VAR to the process id. Wine puts the
# arguments on the Windows command line, quoting one that holds a space.
e2e_start() {
  local var=$1 program=$2
  local log
  log="$E2E_RUN/$(basename "$program").$RANDOM.log"
  (cd "$(dirname "$program")" && exec "$E2E_WINE" "$(basename "$program")" "${@:3}") >"$log" 2>&1 &
  local pid=$!
  E2E_BACKGROUND_PIDS+=("$pid")
  printf -v "$var" '%s' "$pid"
}

e2e_is_running() {
  local pid=$1 state
  [[ -r /proc/$pid/stat ]] || return 1
  state=$(sed 's/.*) //' "/proc/$pid/stat" 2>/dev/null | cut -d' ' -f1)
  [[ -n "$state" && "$state" != Z ]]
}

# Waits for a program started by e2e_start to end; fails after the timeout. Sets E2E_EXIT_CODE.
e2e_wait_exit() {
  local pid=$1 timeout=$2 what=$3
  local deadline=$((SECONDS + timeout))
  while e2e_is_running "$pid"; do
    ((SECONDS < deadline)) || e2e_fail "$what did not end within $timeout s"
    sleep 0.2
  done
  wait "$pid"
  E2E_EXIT_CODE=$?
}

e2e_expect_exit() {
  local pid=$1 timeout=$2 what=$3 expected=$4
  e2e_wait_exit "$pid" "$timeout" "$what"
  e2e_expect_eq "$E2E_EXIT_CODE" "$expected" "exit code of $what"
}

# ---- windows -------------------------------------------------------------------------------

e2e_wait_window() {
  local title=$1 timeout=${2:-60}
  e2e_robot wait-window --title "$title" --timeout "$timeout" >/dev/null ||
    e2e_fail "no window titled '$title' appeared within $timeout s"
}

# One field of the robot's info on a window; fails when the robot cannot find the window or
# gives no such field. Usage: e2e_window_info TITLE FIELD [CLASS] (the class tells apart windows
# of the same title)
e2e_window_info() {
  local title=$1 field=$2 info value
  info=$(e2e_robot info --title "$title" ${3:+--class "$3"}) || return 1
  value=$(printf '%s\n' "$info" | sed -n "s/^$field //p")
  [[ -n "$value" ]] || return 1
  printf '%s\n' "$value"
}

# The texts of a window and its controls: one "class<TAB>id<TAB>text" line each, CR shown as \r.
e2e_texts() { e2e_robot texts --title "$1"; }

# Checks a system message box: its text, and exactly the buttons with the given ids.
e2e_expect_message_box() {
  local title=$1 text=$2
  shift 2
  local texts
  texts=$(e2e_texts "$title") || e2e_fail "cannot read the box titled '$title'"
  printf '%s\n' "$texts" | sed "s/^/  [$title] /"
  # Through the environment: awk -v would turn the \r escapes into carriage returns.
  printf '%s\n' "$texts" | WANT=$text awk -F'\t' '$1 == "Static" && $3 == ENVIRON["WANT"] {
      found = 1 } END { exit !found }' || e2e_fail "the box titled '$title' does not say '$text'"
  local ids
  ids=$(printf '%s\n' "$texts" | awk -F'\t' '$1 == "Button" { print $2 }' | sort -n | xargs)
  e2e_expect_eq "$ids" "$*" "button ids of the box titled '$title'"
}

e2e_answer() {
  local title=$1 id=$2
  e2e_robot click --title "$title" --id "$id" >/dev/null ||
    e2e_fail "cannot press button $id in the box titled '$title'"
  e2e_robot wait-gone --title "$title" --timeout 20 ||
    e2e_fail "the box titled '$title' stayed after pressing button $id"
}

# The process ids (Windows) that own visible top-level windows.
e2e_visible_windows_of() {
  local windows_pid=$1
  e2e_robot list | awk -F'\t' -v pid="$windows_pid" '$2 == pid && $3 == "visible"'
}

# Checks that the process owning the window with this title shows no other window.
e2e_expect_only_window() {
  local title=$1 windows_pid shown
  windows_pid=$(e2e_window_info "$title" pid) || e2e_fail "cannot find the window titled '$title'"
  shown=$(e2e_visible_windows_of "$windows_pid")
  e2e_expect_eq "$(printf '%s\n' "$shown" | awk -F'\t' '{ print $5 }')" "$title" \
    "titles of the visible windows of the process showing '$title'"
}

# A system-modal message box stays above every other window.
e2e_expect_topmost() {
  local title=$1 exstyle
  exstyle=$(e2e_window_info "$title" exstyle) || e2e_fail "cannot find the box titled '$title'"
  (((exstyle & 0x8) != 0)) || e2e_fail "the box titled '$title' is not topmost (exstyle $exstyle)"
}

# ---- the setup program ---------------------------------------------------------------------

# One value of the product's setup configuration (code page 936, CRLF), as UTF-8.
e2e_setup_value() {
  local section=$1 key=$2
  iconv -f CP936 -t UTF-8 "$E2E_PRODUCT/Setup.ini" | tr -d '\r' |
    awk -v section="[$section]" -v key="$key" '
      tolower($0) == tolower(section) { inside = 1; next }
      /^\[/ { inside = 0 }
      inside && index($0, "=") {
        name = substr($0, 1, index($0, "=") - 1)
        if (tolower(name) == tolower(key)) { print substr($0, index($0, "=") + 1); exit }
      }'
}

e2e_wizard_title() {
  local title
  title=$(e2e_setup_value Form Caption)
  [[ -n "$title" ]] || e2e_fail "the product's Setup.ini has no [Form] Caption"
  echo "$title"
}

# Waits for the wizard and checks that it is a dialog-framed window: a caption, no sizing border.
e2e_wait_wizard() {
  local title=$1 timeout=${2:-60}
  e2e_wait_window "$title" "$timeout"
  local style
  style=$(e2e_window_info "$title" style) || e2e_fail "cannot find the wizard titled '$title'"
  (((style & 0x00C00000) == 0x00C00000)) || e2e_fail "the wizard has no caption (style $style)"
  (((style & 0x00040000) == 0)) || e2e_fail "the wizard has a sizing border (style $style)"
}

# Ends a setup whose wizard is showing the way a user does: the close box, then OK on the
# confirmation. The setup must then end with exit code 0.
e2e_close_setup() {
  local setup_pid=$1 wizard_title=$2
  e2e_robot close --title "$wizard_title" --box || e2e_fail "cannot close the wizard"
  e2e_wait_window "$E2E_EXIT_TITLE" 30
  e2e_expect_message_box "$E2E_EXIT_TITLE" "$E2E_EXIT_TEXT" "$IDOK" "$IDCANCEL"
  e2e_answer "$E2E_EXIT_TITLE" "$IDOK"
  e2e_expect_exit "$setup_pid" 30 "the setup" 0
}

# The Temp folder inside the Windows folder (C:\windows\Temp); Wine's file names are
# case-insensitive, the prefix spells it in lower case.
e2e_temp_folder() {
  local windows="$WINEPREFIX/drive_c/windows" entry
  for entry in "$windows"/*; do
    if [[ -d "$entry" && "${entry##*/}" == [Tt][Ee][Mm][Pp] ]]; then
      echo "$entry"
      return
    fi
  done
  echo "$windows/temp"
}

# The setup stages its files in a folder of its own inside the Temp folder ("KorvSetup-" and a
# random name): the folders of that kind there now, one a line.
e2e_staging_folders() {
  find "$(e2e_temp_folder)" -mindepth 1 -maxdepth 1 -type d -name 'KorvSetup-*' 2>/dev/null
}

# The one staging folder of the running setup.
e2e_staging_folder() {
  local folders
  folders=$(e2e_staging_folders)
  [[ -n "$folders" ]] || e2e_fail "the setup made no staging folder in $(e2e_temp_folder)"
  (($(wc -l <<<"$folders") == 1)) || e2e_fail "more than one staging folder: $folders"
  echo "$folders"
}

# No staging folder is left, and files planted at the staged names in the shared Temp folder
# (e2e_seed_stale_staged_files) are as they were: not read, not replaced, not removed.
e2e_expect_no_staged_files() {
  local left name folder
  left=$(e2e_staging_folders)
  [[ -z "$left" ]] || e2e_fail "the staging folder is left: $left"
  folder=$(e2e_temp_folder)
  for name in "${E2E_STAGED_FILES[@]}"; do
    [[ ! -e "$folder/$name.planted" ]] || cmp -s "$folder/$name.planted" "$folder/$name" ||
      e2e_fail "the file planted at $folder/$name was changed or removed"
  done
}

# Plants files at the staged names in the shared Temp folder, as another user (or a run that
# died, when the setup staged there) could: the setup must neither use nor touch them.
e2e_seed_stale_staged_files() {
  local folder name
  folder=$(e2e_temp_folder)
  mkdir -p "$folder"
  for name in "${E2E_STAGED_FILES[@]}"; do
    printf '[Form]\r\nCaption=planted by someone else\r\n[Run]\r\nFileName=planted.exe\r\n' \
      >"$folder/$name"
    cp "$folder/$name" "$folder/$name.planted"
  done
}

e2e_start_product() {
  local var=$1
  e2e_start "$var" "$E2E_PRODUCT/KORV.exe"
  e2e_robot wait-window --title "$E2E_PRODUCT_TITLE" --class "$E2E_PRODUCT_CLASS" \
    --timeout 60 >/dev/null || e2e_fail "the sample product's window did not appear"
}

# ---- screenshots ---------------------------------------------------------------------------

e2e_screenshot() {
  local file=$1
  import -display "$DISPLAY" -window root "png:$file" || e2e_fail "cannot take a screenshot"
}

# Prints "x y r g b" for every pixel of a rectangle of an image.
e2e_pixels() {
  local file=$1 x=$2 y=$3 width=$4 height=$5
  convert "$file" -crop "${width}x${height}+${x}+${y}" +repage -depth 8 txt:- |
    sed -n 's/^\([0-9]*\),\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4 \5/p' |
    awk -v x0="$x" -v y0="$y" '{ print $1 + x0, $2 + y0, $3, $4, $5 }'
}

e2e_image_size() { identify -format '%w %h' "$1"; }

# The running-product question, asked while the host is being created: the exact text with Yes
# and No, topmost, and no backdrop or wizard on screen yet.
e2e_expect_product_question() {
  e2e_wait_window "$E2E_NOTICE_TITLE" 60
  e2e_expect_message_box "$E2E_NOTICE_TITLE" "$E2E_PRODUCT_RUNNING_TEXT" "$IDYES" "$IDNO"
  e2e_expect_topmost "$E2E_NOTICE_TITLE"
  e2e_expect_only_window "$E2E_NOTICE_TITLE"
  e2e_expect_owned_by_host "$E2E_NOTICE_TITLE"
}

# The box is owned by the host window (a form window of the setup, not yet shown), not by the
# hidden application window.
e2e_expect_owned_by_host() {
  local title=$1 owner owner_class
  owner=$(e2e_window_info "$title" owner) || e2e_fail "cannot find the box titled '$title'"
  owner_class=$(e2e_robot list | awk -F'\t' -v handle="$owner" '$1 == handle { print $4 }')
  e2e_expect_eq "$owner_class" KorvForm "class of the window that owns the box titled '$title'"
}

# ---- the wizard ----------------------------------------------------------------------------

readonly E2E_CONFIRM_TITLE='Confirm'
# The setup's own form class: Wine opens Program Manager's new group in a window titled like the
# wizard, so scenarios that install find the wizard by title and class.
readonly E2E_FORM_CLASS=KorvForm

# Clicks a control of the wizard. Usage: e2e_wizard_click TITLE CONTROL...
e2e_wizard_click() {
  local title=$1
  shift
  e2e_robot click --title "$title" --class "$E2E_FORM_CLASS" "$@" >/dev/null ||
    e2e_fail "cannot click $*"
}

# The proposed install folder on a drive D: of the scenario's own: sets dir_name and target
# (Setup.ini's [SetupDir] DirName and [Run] FileName), drive_d (the host folder of D:), folder
# ("D:\Program Files\<DirName>\") and host_folder (its host path, without a final slash).
e2e_use_proposed_folder() {
  dir_name=$(e2e_setup_value SetupDir DirName)
  target=$(e2e_setup_value Run FileName)
  [[ -n "$dir_name" && -n "$target" ]] ||
    e2e_fail "Setup.ini lacks [SetupDir] DirName or [Run] FileName"
  drive_d=$E2E_RUN/drive-d
  e2e_map_drives d "$drive_d"
  folder="D:\\Program Files\\$dir_name\\"
  host_folder="$drive_d/Program Files/$dir_name"
}

# Whether the wizard's "完毕" button is enabled or disabled; nothing while the wizard is hidden
# (during the run). Usage: e2e_finish_button TITLE
e2e_finish_button() {
  e2e_shown_controls "$1" "$E2E_FORM_CLASS" 2>/dev/null |
    awk -F'\t' '$1 == "Button" && $4 == "完毕" { print $2 }'
}

# Waits, at most 180 s, until the wizard is back on its finish page after the run; fails when the
# setup (process id pid) ends first. Usage: e2e_wait_finish_page TITLE PID
e2e_wait_finish_page() {
  local title=$1 pid=$2 deadline=$((SECONDS + 180))
  until [[ "$(e2e_finish_button "$title")" == enabled ]]; do
    ((SECONDS < deadline)) || e2e_fail "the wizard did not come back on its finish page"
    e2e_is_running "$pid" || e2e_fail "the setup ended during the installation"
    sleep 0.5
  done
}

# Walks the wizard from its welcome page to the confirmation page with Next and waits until it
# shows. Usage: e2e_wizard_to_confirmation TITLE
e2e_wizard_to_confirmation() {
  local title=$1
  e2e_wizard_click "$title" --button '下一步 >'
  e2e_wizard_click "$title" --button '下一步 >'
  e2e_wizard_click "$title" --button '下一步 >'
  e2e_expect_eventually "the confirmation page" yes e2e_wizard_shows "$title" 安装确认
}

# Prints "yes" when a visible control of the wizard shows text.
e2e_wizard_shows() {
  e2e_shown_controls "$1" "$E2E_FORM_CLASS" | awk -F'\t' -v text="$2" '$4 == text { print "yes"; exit }'
}

# A text as the robot prints it: backslashes doubled, CR, LF and tab as \r, \n and \t.
e2e_robot_escaped() {
  local text=$1
  text=${text//\\/\\\\}
  text=${text//$'\r'/\\r}
  text=${text//$'\n'/\\n}
  text=${text//$'\t'/\\t}
  printf '%s' "$text"
}

# Reads a text file of the product (code page 936) into a variable as UTF-8, byte for byte
# otherwise (CR LF and the last line break kept). Usage: e2e_read_product_text VAR FILE
e2e_read_product_text() {
  local var=$1 file=$E2E_PRODUCT/$2 text
  text=$(iconv -f CP936 -t UTF-8 "$file" && printf x) ||
    e2e_fail "cannot read $file as code page 936"
  printf -v "$var" '%s' "${text%x}"
}

# Maps drive letters of the scenario's prefix to folders (made when missing), as Wine maps
# drives: symbolic links in the prefix's dosdevices. Wine's services learn the drives when they
# start, so the prefix's Wine server is started again. Map drives before starting the program.
# Usage: e2e_map_drives LETTER FOLDER [LETTER FOLDER...]
e2e_map_drives() {
  while (($# >= 2)); do
    local letter=${1,,} folder=$2
    shift 2
    mkdir -p "$folder" || e2e_fail "cannot make the folder of drive $letter:"
    ln -sfn "$folder" "$WINEPREFIX/dosdevices/$letter:" || e2e_fail "cannot map drive $letter:"
  done
  "$E2E_WINESERVER" -k 2>/dev/null
  "$E2E_WINESERVER" -w 2>/dev/null
  "$E2E_WINESERVER" -p || e2e_fail "the Wine server did not start again"
}

# The drive roots of the prefix in the order Windows lists them: "C:\", "D:\", ... one a line.
e2e_drive_roots() {
  local entry letter
  for entry in "$WINEPREFIX"/dosdevices/[a-z]:; do
    [[ -e "$entry" ]] || continue
    letter=${entry##*/}
    printf '%s\\\n' "${letter^^}"
  done | sort
}

# What a user sees of a window: its visible controls that show a text, one
# "class<TAB>enabled<TAB>mark<TAB>text" line each, in the robot's order (text escaped).
# Usage: e2e_shown_controls TITLE [CLASS]
e2e_shown_controls() {
  e2e_robot state --title "$1" ${2:+--class "$2"} |
    awk -F'\t' 'BEGIN { OFS = "\t" } $4 == "visible" && $8 != "" { print $1, $5, $6, $8 }'
}

# Polls a command until it prints the expected text (a posted click is handled in the program's
# own time); fails with the difference after the timeout.
# Usage: e2e_expect_eventually WHAT EXPECTED COMMAND [ARGS...]
e2e_expect_eventually() {
  local what=$1 expected=$2
  shift 2
  local actual='' deadline=$((SECONDS + 15))
  while :; do
    actual=$("$@" 2>&1)
    [[ "$actual" == "$expected" ]] && return 0
    ((SECONDS < deadline)) || break
    sleep 0.2
  done
  diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | sed 's/^/  /'
  e2e_fail "$what (< expected, > shown)"
}

# A screenshot of a window with something drawn in it: a window on screen that came out blank
# (one colour, or almost) is a failure of what the user sees.
# Usage: e2e_window_screenshot TITLE FILE [CLASS]
e2e_window_screenshot() {
  local title=$1 file=$2 rect left top right bottom colours
  # Without the window's rectangle the crop would be the whole screen.
  rect=$(e2e_window_info "$title" rect "${3:-}") ||
    e2e_fail "cannot find the window '$title' to take its screenshot"
  [[ "$rect" =~ ^-?[0-9]+\ -?[0-9]+\ -?[0-9]+\ -?[0-9]+$ ]] ||
    e2e_fail "the robot gave no rectangle of the window '$title': '$rect'"
  read -r left top right bottom <<<"$rect"
  ((right > left && bottom > top)) || e2e_fail "the window '$title' has no area ($rect)"
  e2e_screenshot "$file"
  colours=$(convert "$file" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    -format %k info:) || e2e_fail "cannot read the screenshot $file"
  ((colours >= 16)) || e2e_fail "the window '$title' looks blank on $file ($colours colours)"
  e2e_log "screenshot: $file ($colours colours in the window)"
}

# Every Windows since Vista carries SimSun (宋体), whatever its language, and links its user
# interface fonts to it for Chinese characters; the wizard asks for it by name. A Wine prefix
# outside a Chinese locale finds no font of that name and draws the Chinese texts in a fallback
# without Latin letters, so the prefix is told that the machine's Chinese font is SimSun, and
# the interface fonts the setup's windows use (Tahoma, MS Sans Serif) are linked to it as
# Windows links them. Every template prefix gets it when it is booted, so runs in every locale
# have it.
e2e_provide_simsun() {
  local font file name
  IFS='|' read -r file font < <(LC_ALL=C fc-match -f '%{file}|%{family[0]}\n' ':lang=zh-cn') &&
    [[ -n "$font" && -n "$file" ]] || e2e_fail "fontconfig names no Chinese font"
  for name in SimSun 宋体; do
    "$E2E_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /t REG_SZ \
      /d "$font" /f >/dev/null 2>&1 || e2e_fail "cannot give the prefix the font $name"
  done
  for name in Tahoma 'MS Sans Serif'; do
    "$E2E_WINE" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$name" /t REG_MULTI_SZ /d "${file##*/},$font" /f >/dev/null 2>&1 ||
      e2e_fail "cannot link the font $name to $font"
  done
  e2e_log "SimSun (宋体) is $font, linked from Tahoma and MS Sans Serif"
}

# ---- what an installation leaves -----------------------------------------------------------

# One registry value as `wine reg export` writes it, decoded: a string's text, "dword:N" (N in
# decimal) for a DWORD; fails when the key or the value is missing. NAME "@" is the key's default
# value. KEY starts with HKCU\ or HKCR\. Usage: e2e_registry_value KEY NAME
e2e_registry_value() {
  local key=$1 name=$2 file="$E2E_RUN/registry-export.reg"
  rm -f "$file"
  "$E2E_WINE" reg export "$key" "$file" /y >/dev/null 2>&1 || return 1
  python3 - "$file" "$key" "$name" <<'PYTHON'
import re
import sys

path, key, name = sys.argv[1:]
roots = {"HKCU": "HKEY_CURRENT_USER", "HKCR": "HKEY_CLASSES_ROOT"}
root, _, rest = key.partition("\\")
header = "[" + roots.get(root.upper(), root) + "\\" + rest + "]"
text = open(path, "rb").read().decode("utf-16")
inside = False
for line in text.splitlines():
    if line.startswith("["):
        inside = line.lower() == header.lower()
        continue
    if not inside:
        continue
    if name == "@":
        match = re.match(r'@=(.*)$', line)
    else:
        match = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
        if match and re.sub(r'\\(.)', r'\1', match.group(1)).lower() != name.lower():
            match = None
    if not match:
        continue
    data = match.group(match.lastindex)
    if data.startswith('"'):
        print(re.sub(r'\\(.)', r'\1', data[1:-1]))
    elif data.startswith("dword:"):
        print("dword:%d" % int(data[6:], 16))
    else:
        print(data)
    sys.exit(0)
sys.exit(1)
PYTHON
}

# Checks one registry value. Usage: e2e_expect_registry_value KEY NAME EXPECTED
e2e_expect_registry_value() {
  local key=$1 name=$2 expected=$3 actual
  actual=$(e2e_registry_value "$key" "$name") || e2e_fail "the registry has no value $name in $key"
  e2e_expect_eq "$actual" "$expected" "$key $name"
}

# Compares every file the product's manifest lists with the product's own copy, byte for byte,
# except the files named after the folder (install-relative, as the manifest spells them). The
# product folder brings no Uninstall.exe: the setup carries the kit's.
# Usage: e2e_expect_installed_files FOLDER [SKIPPED...] (FOLDER: the install folder on the host)
e2e_expect_installed_files() {
  local folder=$1 name type path count=0
  shift
  while IFS=' ' read -r name type path; do
    path=${path%$'\r'}
    [[ -n "$path" ]] || continue
    [[ " $* " != *" $path "* ]] || continue
    path=${path//\\//}
    local source="$E2E_PRODUCT/$path"
    [[ -f "$source" || "$path" != Uninstall.exe ]] || source="$E2E_KIT/Uninstall.exe"
    cmp -s "$source" "$folder/$path" ||
      e2e_fail "$folder/$path differs from the product's $path (or is missing)"
    count=$((count + 1))
  done < <(iconv -f CP936 -t UTF-8 "$E2E_PRODUCT/Setup.log")
  ((count > 0)) || e2e_fail "the product's manifest lists no files"
  e2e_log "all $count files of the manifest are installed byte for byte in $folder"
}

# ---- what an unfinished run leaves -----------------------------------------------------------

# The journal a run appends to before each change, in a folder only administrators may change;
# the next setup finds it there and rolls an unfinished run back.
readonly E2E_JOURNAL='C:\ProgramData\KorvelloSetup\run.journal'
readonly E2E_UNINSTALL_KEY='HKCU\software\microsoft\windows\currentversion\uninstall\Korvello'
# The uninstaller's copy that the uninstall entry and the program group start, in a folder only
# administrators may change, beside its copy of the installation record.
readonly E2E_PROTECTED_UNINSTALLER='C:\ProgramData\KorvelloSetup\Uninstall\Uninstall.exe'

# The host path of a Windows path on a drive of the prefix ("C:\a\b" -> .../dosdevices/c:/a/b).
e2e_host_path() {
  local path=$1 letter=${1:0:1}
  path=${path:2}
  printf '%s\n' "$WINEPREFIX/dosdevices/${letter,,}:${path//\\//}"
}

e2e_expect_no_journal() {
  local journal
  journal=$(e2e_host_path "$E2E_JOURNAL")
  [[ ! -e "$journal" ]] || e2e_fail "the run's journal $E2E_JOURNAL is left"
}

# Everything a folder holds, one line per entry in name order: the kind (f, d, l...), and for a
# file its size and SHA-256, then the path. Usage: e2e_tree_listing FOLDER
e2e_tree_listing() {
  local kind path
  (cd "$1" && find . -mindepth 1 -printf '%y\t%p\n' | LC_ALL=C sort) |
    while IFS=$'\t' read -r kind path; do
      if [[ $kind == f ]]; then
        printf 'f %s %s %s\n' "$(stat -c %s "$1/$path")" \
          "$(sha256sum <"$1/$path" | cut -d' ' -f1)" "$path"
      else
        printf '%s %s\n' "$kind" "$path"
      fi
    done
}

# Nothing of the product is registered: no uninstall entry and no desktop shortcut.
e2e_expect_nothing_registered() {
  local link
  # The registry is read back at all: a value every prefix of these runs has.
  e2e_registry_value 'HKCU\Software\Wine\Fonts\Replacements' SimSun >/dev/null ||
    e2e_fail "cannot read the registry back"
  ! e2e_registry_value "$E2E_UNINSTALL_KEY" DisplayName >/dev/null ||
    e2e_fail "the registry has an uninstall entry $E2E_UNINSTALL_KEY"
  link=$(e2e_host_path "C:\users\Public\Desktop$(e2e_setup_value Form desKtopLink)")
  [[ ! -e "$link" ]] || e2e_fail "the desktop shortcut $link is left"
}
