#!/usr/bin/env bash
# Install folders typed on the folder page. A relative folder ("Korv\") is refused by Next: a
# warning box owned by the wizard says why and asks for a full folder, and after OK the wizard is
# still on the folder page with the text as typed. A folder typed without its final backslash
# ("D:\Korvello") is taken as the folder it names: the product lands inside it
# (D:\Korvello\KORV.exe), nothing is scattered beside it (no D:\KorvelloKORV.exe) and the
# registry records "D:\Korvello\".
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
# shellcheck disable=SC1003  # folders ending in a backslash, meant as written
source "$(dirname "$0")/../lib.sh"
e2e_begin typed_folder "$@"

readonly FOLDER_BOX_TITLE='安装路径'

wizard=$(e2e_wizard_title)
e2e_use_proposed_folder

click() { e2e_wizard_click "$wizard" "$@"; }
next() { click --button '下一步 >'; }
type_folder() {
  e2e_robot type --title "$wizard" --class "$E2E_FORM_CLASS" --nth Edit:2 --text "$1" >/dev/null ||
    e2e_fail "cannot type the install folder $1"
}
path_box() {
  e2e_robot state --title "$wizard" --class "$E2E_FORM_CLASS" |
    awk -F'\t' '$1 == "Edit" && $2 == 2 { print $8 }'
}

e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"
next
next
e2e_expect_eventually "the folder page" yes e2e_wizard_shows "$wizard" 选择安装文件夹

# ---- a relative folder: refused, the page kept ----------------------------------------------

type_folder 'Korv\'
next
e2e_wait_window "$FOLDER_BOX_TITLE" 30
owner=$(e2e_window_info "$FOLDER_BOX_TITLE" owner) || owner=''
wizard_handle=$(e2e_window_info "$wizard" hwnd "$E2E_FORM_CLASS") || wizard_handle=''
[[ -n "$owner" && "$owner" == "$wizard_handle" ]] ||
  e2e_fail "the box is not owned by the wizard (owner '$owner', wizard '$wizard_handle')"
reason=$(e2e_robot_escaped '安装文件夹须是以盘符和反斜杠开头的完整路径（如 D:\）。')
request=$(e2e_robot_escaped "请输入有效的安装文件夹，例如 $folder")
e2e_expect_message_box "$FOLDER_BOX_TITLE" "$reason\\r\\r$request" "$IDOK"
e2e_answer "$FOLDER_BOX_TITLE" "$IDOK"
e2e_expect_eventually "the path box after the refusal" 'Korv\\' path_box
e2e_wizard_shows "$wizard" 选择安装文件夹 | grep -qx yes ||
  e2e_fail "the wizard left the folder page after a refused folder"
[[ -z "$(e2e_wizard_shows "$wizard" 安装确认)" ]] ||
  e2e_fail "the confirmation page shows after a refused folder"
e2e_log "\"Korv\\\" refused with the reason, the wizard stays on the folder page"

# ---- a folder without its final backslash: installed inside it -------------------------------

type_folder 'D:\Korvello'
next
e2e_expect_eventually "the confirmation page" yes e2e_wizard_shows "$wizard" 安装确认
next
e2e_wait_finish_page "$wizard" "$setup"
click --button 完毕
e2e_expect_exit "$setup" 60 "the setup" 0

[[ -f "$drive_d/Korvello/$target" ]] || e2e_fail "no $target in D:\\Korvello\\"
e2e_expect_installed_files "$drive_d/Korvello" Options.ini
scattered=$(find "$drive_d" -mindepth 1 -maxdepth 1 ! -name Korvello -printf '%f\n')
e2e_expect_eq "$scattered" '' "what D: holds beside the Korvello folder"
e2e_expect_registry_value 'HKCU\Software\KORVL\Shell\PathName' Path 'D:\Korvello\'
e2e_log "\"D:\\Korvello\" installed inside D:\\Korvello\\, nothing beside it"

e2e_pass
