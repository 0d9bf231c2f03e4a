#!/usr/bin/env bash
# The robot reads and drives every kind of control the wizard uses, on the program's own toolkit
# and Windows back end (the control gallery, korv_gallery.exe): every text reads back exactly,
# Chinese included; a click on a button, a check box or a radio button and typing into an edit
# box or a memo reach the program's model, and the windows show what the model holds; input
# forced into controls inside a disabled panel changes neither the model nor the windows.
# The gallery's label shows the model's fields after every event, so each check reads the model
# and not only the windows: after every step the whole state of the window is compared.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variable
source "$(dirname "$0")/../lib.sh"
e2e_begin controls "$@"

[[ -f "${E2E_GALLERY:-}" ]] || e2e_fail "the control gallery ${E2E_GALLERY:-} is not built"
readonly TITLE='控件检查'
readonly PROGRESS_STEP=10

# The controls, as the robot's --nth finds them (the first full check below proves which is
# which by their texts).
readonly NEXT=Button:1 DESKTOP=Button:2 AGREE=Button:3 LOCKED_CHECK=Button:5
readonly PATH_EDIT=Edit:1 MEMO=Edit:2 LOCKED_EDIT=Edit:3 MODEL=Static:1

# What the program's model holds now, as this scenario expects it.
clicks=0 checked=1 radio=1
edit='D:\Program Files\DirName'
memo_lines=(授权许可须知 请仔细阅读下面的协议条款 一、许可范围 二、使用限制 三、免责声明 四、其他条款)
locked_edit='C:\锁定\不可输入'
locked_checked=0

joined() {
  local separator=$1 text='' item
  shift
  for item in "$@"; do text+=${text:+$separator}$item; done
  printf '%s' "$text"
}

mark() { if [[ $1 == 1 ]]; then echo checked; else echo unchecked; fi; }

# The model label's text: one name=value line per field, the memo's lines joined by '|'.
model_text() {
  local fields=("clicks=$clicks" "check=$checked" "radio=$radio" "edit=$edit"
    "memo=$(joined '|' "${memo_lines[@]}")" "locked-edit=$locked_edit"
    "locked-check=$locked_checked")
  joined $'\r\n' "${fields[@]}"
}

row() {
  local IFS=$'\t'
  printf '%s\n' "$*"
}

# The robot's state table without the control ids (the toolkit gives its windows none): class,
# number, visibility, enabled, mark, progress position, text. The controls in the panel are
# enabled windows themselves; the disabled panel around them is what keeps the user out.
expected_state() {
  local agree=0 disagree=0
  [[ $radio == *1* ]] && agree=1
  [[ $radio == *2* ]] && disagree=1
  row Button 1 visible enabled - - '下一步 >'
  row Button 2 visible enabled "$(mark "$checked")" - 创建桌面快捷方式
  row Button 3 visible enabled "$(mark "$agree")" - 我同意以上条款
  row Button 4 visible enabled "$(mark "$disagree")" - 我不同意以上条款
  row Edit 1 visible enabled - - "$(e2e_robot_escaped "$edit")"
  row Edit 2 visible enabled - - "$(e2e_robot_escaped "$(joined $'\r\n' "${memo_lines[@]}")")"
  row msctls_progress32 1 visible enabled - $((clicks * PROGRESS_STEP)) ''
  row KorvPanel 1 visible disabled - - ''
  row Edit 3 visible enabled - - "$(e2e_robot_escaped "$locked_edit")"
  row Button 5 visible enabled "$(mark "$locked_checked")" - 锁定的选项
  row Static 1 visible enabled - - "$(e2e_robot_escaped "$(model_text)")"
}

shown_model() {
  local class=${MODEL%:*} number=${MODEL#*:}
  e2e_robot state --title "$TITLE" |
    awk -F'\t' -v class="$class" -v number="$number" '$1 == class && $2 == number { print $8 }'
}

# Waits until the model label shows the expected model (a click is posted, so the program takes
# it in its own time), then compares the whole window: the model and every control.
expect_gallery() {
  local what=$1 want shown='' deadline=$((SECONDS + 15))
  want=$(e2e_robot_escaped "$(model_text)")
  while ((SECONDS < deadline)); do
    shown=$(shown_model)
    [[ "$shown" == "$want" ]] && break
    sleep 0.2
  done
  if [[ "$shown" != "$want" ]]; then
    # One field a line, as the label shows them.
    diff <(printf '%s\n' "${want//\\r\\n/$'\n'}") <(printf '%s\n' "${shown//\\r\\n/$'\n'}") |
      sed 's/^/  /'
    e2e_fail "$what: the model differs (< expected, > shown)"
  fi
  local expected actual
  expected=$(expected_state)
  actual=$(e2e_robot state --title "$TITLE" | cut -f1,2,4-) ||
    e2e_fail "$what: cannot read the state of the window '$TITLE'"
  if [[ "$actual" != "$expected" ]]; then
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual") | sed 's/^/  /'
    e2e_fail "$what: the window's state differs from the model (< expected, > shown)"
  fi
  e2e_log "$what: model and window agree"
}

click() { e2e_robot click --title "$TITLE" "$@" >/dev/null || e2e_fail "cannot click $*"; }

type_text() {
  local control=$1 text=$2
  shift 2
  e2e_robot type --title "$TITLE" --nth "$control" --text "$text" "$@" >/dev/null ||
    e2e_fail "cannot type into $control"
}

# A user cannot reach a control inside a disabled window: the robot refuses, as it should, with
# its own exit code for a control out of reach (not found or failed would prove nothing).
expect_refused() {
  local what=$1 status
  shift
  e2e_robot "$@" --title "$TITLE" >"$E2E_RUN/refused.out" 2>&1
  status=$?
  ((status != 0)) ||
    e2e_fail "the robot acted on $what, a control inside the disabled panel, without --force"
  ((status == E2E_ROBOT_REFUSED)) ||
    e2e_fail "the robot did not refuse $what (exit status $status): $(cat "$E2E_RUN/refused.out")"
}

e2e_start gallery "$E2E_GALLERY"
e2e_wait_window "$TITLE" 60
expect_gallery "at start"

click --button '下一步 >'
clicks=1
expect_gallery "after a press of the button"

click --button 创建桌面快捷方式
checked=0
expect_gallery "after a click on the checked check box"
click --nth "$DESKTOP"
checked=1
expect_gallery "after a second click on the check box"

click --button 我不同意以上条款
radio=2
expect_gallery "after a click on the second radio button"
click --nth "$AGREE"
radio=1
expect_gallery "after a click on the first radio button"

edit='E:\软件\Korvl280\我的程序'
type_text "$PATH_EDIT" "$edit"
expect_gallery "after typing a path into the edit box"

memo_lines=(第一行 '第二行：安装说明' 第三行)
type_text "$MEMO" "$(joined $'\n' "${memo_lines[@]}")"
expect_gallery "after typing lines into the memo"

# Typing is sent key by key and waited for: when the robot ends, the edit box inside the disabled
# panel has had every key and the program has put its own text back.
expect_refused "$LOCKED_EDIT" type --nth "$LOCKED_EDIT" --text 'X:\不应出现'
type_text "$LOCKED_EDIT" 'X:\不应出现' --force
expect_gallery "after typing forced into the edit box inside the disabled panel"

# Clicks are posted and handled in order: once the press of the button that follows the forced
# click shows in the model, the forced click has been handled too.
expect_refused "$LOCKED_CHECK" click --nth "$LOCKED_CHECK"
click --nth "$LOCKED_CHECK" --force
click --nth "$NEXT"
clicks=2
expect_gallery "after a click forced on the check box inside the disabled panel"

e2e_screenshot "$E2E_SHOTS/e2e-$E2E_NAME.png"
e2e_robot close --title "$TITLE" --box || e2e_fail "cannot close the gallery"
e2e_expect_exit "$gallery" 30 "the gallery" 0
e2e_pass
