#!/usr/bin/env bash
# The existing-installation check when the wizard first shows. On a machine without an earlier
# installation the setup asks nothing and leaves the two product keys created in the registry.
# With the keys recording the same version installed in D:\Program Files\Korvl280\ and its
# KORV.exe there, the setup asks in the toolkit's Confirm dialog whether to install again, with
# the backup advice; No ends the setup with exit code 0 and removes the staged files.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin reinstall_prompt "$@"

readonly SERIAL_KEY='HKCU\Software\KORVL\Shell\Serial'
readonly PATH_KEY='HKCU\Software\KORVL\Shell\PathName'

wizard=$(e2e_wizard_title)
serial=$(e2e_setup_value Form Serial)
dir_name=$(e2e_setup_value SetupDir DirName)
[[ -n "$serial" && -n "$dir_name" ]] || e2e_fail "Setup.ini lacks [Form] Serial or [SetupDir] DirName"

drive_d=$E2E_RUN/drive-d
e2e_map_drives d "$drive_d"

# A key's values as `wine reg query` lists them (its full name, then one line per value; nothing
# for a key without values); fails when the key does not exist.
key_listing() {
  local listing
  listing=$("$E2E_WINE" reg query "$1" 2>/dev/null) || return 1
  printf '%s\n' "$listing" | tr -d '\r' | sed '/^$/d'
}

path_box() {
  e2e_robot state --title "$wizard" | awk -F'\t' '$1 == "Edit" && $2 == 2 { print $8 }'
}

# ---- a first installation: no question, both keys created, empty ----------------------------

for key in "$SERIAL_KEY" "$PATH_KEY"; do
  ! key_listing "$key" >/dev/null || e2e_fail "the fresh prefix already has $key"
done
e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"
# The check ends by giving the path box (the wizard's second edit box, on the folder page) the
# configured folder in place of its design text; a question would come before that. The folder
# page's windows are made when it first shows: the box is read there.
e2e_wizard_click "$wizard" --button '下一步 >'
e2e_wizard_click "$wizard" --button '下一步 >'
e2e_expect_eventually "the install folder after the check" \
  "$(e2e_robot_escaped "$(e2e_setup_value SetupDir SetupPath)\\")" path_box
e2e_expect_no_window "the setup asked a question on a machine without an earlier installation" \
  --title "$E2E_CONFIRM_TITLE"
for key in "$SERIAL_KEY" "$PATH_KEY"; do
  listing=$(key_listing "$key") || e2e_fail "the setup did not create $key"
  e2e_expect_eq "$listing" '' "the values of $key after the wizard showed"
done
e2e_log "without an earlier installation: no question, $SERIAL_KEY and $PATH_KEY created, empty"
e2e_close_setup "$setup" "$wizard"

# ---- the same version installed: the reinstall question, No ends the setup -------------------

installed="D:\\Program Files\\$dir_name\\"
# The recorded serial without its leading zero: compared as numbers, 2080308 is 02080308.
if ! "$E2E_WINE" reg add "$SERIAL_KEY" /v Serial /d "$((10#$serial))" /f >/dev/null 2>&1 ||
  ! "$E2E_WINE" reg add "$PATH_KEY" /v Path /d "$installed" /f >/dev/null 2>&1; then
  e2e_fail "cannot record the earlier installation in the registry"
fi
recorded=$(key_listing "$PATH_KEY" | awk '$1 == "Path" { sub(/^ *Path +REG_SZ +/, ""); print }')
e2e_expect_eq "$recorded" "$installed" "the recorded install folder"
mkdir -p "$drive_d/Program Files/$dir_name"
cp "$E2E_PRODUCT/KORV.exe" "$drive_d/Program Files/$dir_name/KORV.exe"

e2e_start setup "$E2E_SETUP"
e2e_wait_window "$E2E_CONFIRM_TITLE" 60
# The question's lines, each ended by a CR (shown by the robot as \r).
question=$(printf '%s\\r' "${wizard}已经安装，要再次安装吗？" '' \
  '若选择再次安装，请注意备份原软件中的数据资料，以免丢失宝贵数据。' \
  '备份方法：退出本安装程序，运行Korvello，点击窗口顶行“文件”菜' \
  '单，选择“另存为”保存数据到U盘，或其它熟悉的文件夹中。' '' \
  '    按 [Yes] 按钮再次安装；按 [No] 结束')
e2e_expect_message_box "$E2E_CONFIRM_TITLE" "$question" "$IDYES" "$IDNO"
e2e_answer "$E2E_CONFIRM_TITLE" "$IDNO"
e2e_expect_exit "$setup" 30 "the setup" 0
e2e_expect_no_staged_files
e2e_pass
