#!/usr/bin/env bash
# A user walks the wizard with drives C:, D: and E: present: welcome, licence, folder and
# confirmation, then Back to the welcome page. On every page the texts shown, the banner's
# title and subtitle and the states of Next and Back are what the wizard's rules give; the
# licence page shows the product's licence; the folder page proposes the folder on D: and lists
# every drive with its size and free space, the D: row selected with the product's size and the
# space that remains. Disagreeing with the licence disables Next; a double-click on the E: row
# moves the folder to E:. Every page is saved as a screenshot. The close box asks in the system
# box and Cancel keeps the wizard; Exit asks in the toolkit's dialog and No keeps it, Yes ends
# the setup with exit code 0 and removes the staged files.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
# shellcheck disable=SC1111,SC1003  # Chinese quotation marks and drive roots, meant as written
source "$(dirname "$0")/../lib.sh"
e2e_begin wizard_walk "$@"

wizard=$(e2e_wizard_title)
caption=$wizard
licence_title=$(e2e_setup_value Form SQXY)
dir_name=$(e2e_setup_value SetupDir DirName)
product_size=$(e2e_setup_value Run RJSize)
[[ -n "$dir_name" && -n "$product_size" ]] || e2e_fail "Setup.ini lacks [SetupDir] DirName or [Run] RJSize"

# The licence as the memo holds it: the file's lines joined by CR LF, no line break after the last.
e2e_read_product_text licence 用户授权协议.txt
licence=${licence%$'\r\n'}

e2e_map_drives d "$E2E_RUN/drive-d" e "$E2E_RUN/drive-e"
drives=$(e2e_drive_roots | paste -sd " ")
[[ "$drives" == 'C:\ D:\ E:\'* ]] || e2e_fail "the prefix's drives are $drives, not C:, D:, E: first"
e2e_log "drives of the prefix: $drives"

row() {
  local IFS=$'\t'
  printf '%s\n' "$*"
}

# The visible controls with a text, as e2e_shown_controls prints them: the banner (from page 1
# on), the buttons, then the page. Back and Next are given as enabled/disabled.
buttons() {
  row Button "$1" - '< 返回'
  row Button "$2" - '下一步 >'
  row Button enabled - 退出
}

banner() {
  row Static enabled - "$1"
  [[ -z "${2:-}" ]] || row Static enabled - "$2"
}

welcome_page() {
  buttons disabled enabled
  row KorvPanel enabled - page1
  row Static enabled - "欢迎使用 $caption"
  row Static enabled - "即将在您的电脑上安装“$caption” 请点击“下一步”按钮继续。"
}

# Usage: licence_page AGREED NEXT [BANNER TITLE [SUBTITLE]]
licence_page() {
  local agree=checked disagree=unchecked
  [[ $1 == yes ]] || { agree=unchecked; disagree=checked; }
  banner "${3:-$licence_title}" "${4-请仔细阅读下面的协议条款}"
  buttons enabled "$2"
  row KorvPanel enabled - page2
  row Edit enabled - "$(e2e_robot_escaped "$licence")"
  row Button enabled "$agree" 我同意以上条款
  row Button enabled "$disagree" 我不同意以上条款
}

# Usage: folder_page FOLDER [BANNER TITLE [SUBTITLE]]
folder_page() {
  banner "${2:-选择安装文件夹}" "${3:-}"
  buttons enabled enabled
  row KorvPanel enabled - page3
  row Static enabled - '请选择安装路径及文件夹，然后点击“下一步”'
  row Static enabled - 默认路径
  row Edit enabled - "$(e2e_robot_escaped "$1")"
  row Button enabled - 浏览
  row Static enabled - '选择改变安装路径（双击鼠标快速改变路径）'
  local header
  for header in 卷标 磁盘大小 可用空间 使用 ' 剩余空间'; do row KorvPanel enabled - "$header"; done
  row Button enabled checked 创建桌面快捷方式
}

confirmation_subtitle="点击“下一步”开始安装$caption"
confirmation_page() {
  banner 安装确认 "$confirmation_subtitle"
  buttons enabled enabled
  row KorvPanel enabled - page4
  row Static enabled - "安装程序已经准备好在您的计算机上安装$caption"
}

expect_page() {
  local what=$1 expected=$2
  e2e_expect_eventually "$what: the wizard shows other texts or states" "$expected" \
    e2e_shown_controls "$wizard"
  e2e_log "$what: texts and button states as expected"
}

click() { e2e_robot click --title "$wizard" "$@" >/dev/null || e2e_fail "cannot click $*"; }
next() { click --button '下一步 >'; }
back() { click --button '< 返回'; }

shot=0
screenshot() {
  shot=$((shot + 1))
  sleep 0.5 # the page is settled; let it finish painting
  e2e_window_screenshot "$wizard" "$E2E_SHOTS/e2e-$E2E_NAME-page-$shot-$1.png"
}

# The drive table as the robot reads it, one "root<TAB>selection<TAB>use<TAB>remaining" line a
# row, the remaining space given as "free - 0.019 GB" when it is the row's free space as shown,
# less 0.019 GB, with one decimal from 10 up and two below, halves away from zero. A row without
# a size and a free space in GB is printed whole, marked, so that it differs from any expectation.
table() {
  local grid
  grid=$(e2e_robot grid --title "$wizard") || { echo "cannot read the drive table"; return 1; }
  printf '%s\n' "$grid" | awk -F'\t' '
    function formatted(x,   scale) {
      scale = x >= 10 ? 10 : 100
      return sprintf(x >= 10 ? "%.1f" : "%.2f", int(x * scale + 0.5) / scale)
    }
    NF != 7 || $4 !~ /^[0-9]+\.[0-9]+ GB$/ || $5 !~ /^[0-9]+\.[0-9]+ GB$/ {
      print "row without a size and a free space: " $0; next }
    {
      remaining = $7
      if (remaining != "" && remaining == " " formatted($5 - 0.019) " GB") remaining = "free - 0.019 GB"
      print $3 "\t" $2 "\t" $6 "\t" remaining
    }'
}

# Every drive in order, the install drive's row alone selected with the product's size and the
# space that remains; the other rows' use and remaining cells empty.
expected_table() {
  local install=$1 root
  while read -r root; do
    if [[ "$root" == "$install" ]]; then
      row "${root//\\/\\\\}" selected " $product_size MB" 'free - 0.019 GB'
    else
      row "${root//\\/\\\\}" unselected '' ''
    fi
  done < <(e2e_drive_roots)
}

expect_table() {
  local what=$1 install=$2
  e2e_expect_eventually "$what: the drive table" "$(expected_table "$install")" table
  e2e_log "$what: the drive table lists $drives, $install selected"
  e2e_robot grid --title "$wizard" | sed 's/^/  [drive table] /'
}

e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"

expect_page "welcome page" "$(welcome_page)"
screenshot welcome

next
expect_page "licence page" "$(licence_page yes enabled)"
screenshot licence
click --button 我不同意以上条款
expect_page "licence page, disagreeing" "$(licence_page no disabled)"
click --button 我同意以上条款
expect_page "licence page, agreeing again" "$(licence_page yes enabled)"

next
expect_page "folder page" "$(folder_page "D:\\Program Files\\$dir_name\\")"
expect_table "folder page" 'D:\'
screenshot folder
e_row=$(e2e_drive_roots | awk '$0 == "E:\\" { print NR - 1 }')
e2e_robot dblclick-row --title "$wizard" --row "$e_row" >/dev/null ||
  e2e_fail "cannot double-click the row of E: in the drive table"
expect_page "folder page, E: double-clicked" "$(folder_page "E:\\Program Files\\$dir_name\\")"
expect_table "folder page, E: double-clicked" 'E:\'

next
expect_page "confirmation page" "$(confirmation_page)"
screenshot confirmation

# Back changes no banner text: the confirmation page's title and subtitle stay above the pages
# before it, and the folder chosen stays.
back
expect_page "back on the folder page" \
  "$(folder_page "E:\\Program Files\\$dir_name\\" 安装确认 "$confirmation_subtitle")"
expect_table "back on the folder page" 'E:\'
back
expect_page "back on the licence page" \
  "$(licence_page yes enabled 安装确认 "$confirmation_subtitle")"
back
expect_page "back on the welcome page" "$(welcome_page)"
screenshot welcome-again

# The close box asks in the system box; Cancel keeps the wizard as it was.
e2e_robot close --title "$wizard" --box || e2e_fail "cannot press the wizard's close box"
e2e_wait_window "$E2E_EXIT_TITLE" 30
e2e_expect_message_box "$E2E_EXIT_TITLE" "$E2E_EXIT_TEXT" "$IDOK" "$IDCANCEL"
e2e_answer "$E2E_EXIT_TITLE" "$IDCANCEL"
expect_page "after Cancel on the close box's question" "$(welcome_page)"

# Exit asks in the toolkit's dialog; No keeps the wizard, Yes ends the setup.
click --button 退出
e2e_wait_window "$E2E_CONFIRM_TITLE" 30
e2e_expect_message_box "$E2E_CONFIRM_TITLE" "$E2E_EXIT_TEXT" "$IDYES" "$IDNO"
e2e_answer "$E2E_CONFIRM_TITLE" "$IDNO"
expect_page "after No on Exit's question" "$(welcome_page)"
e2e_is_running "$setup" || e2e_fail "the setup ended after No"

click --button 退出
e2e_wait_window "$E2E_CONFIRM_TITLE" 30
e2e_answer "$E2E_CONFIRM_TITLE" "$IDYES"
e2e_expect_exit "$setup" 30 "the setup" 0
e2e_expect_no_staged_files
e2e_pass
