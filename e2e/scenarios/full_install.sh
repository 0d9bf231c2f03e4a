#!/usr/bin/env bash
# A whole installation, as a user clicks it: Next through the wizard into the proposed folder on
# D:, the progress window (framed in blue, three pixels wide) while the product is extracted and
# registered, then the wizard's finish page and "完毕". Every file of the manifest is in the
# install folder byte for byte; the uninstall entry, the document type, the product keys and the
# compatibility value are in the registry as the setup writes them; the desktop shortcut in the
# common desktop folder points at the installed KORV.exe; the program group holds its four items
# (made by Program Manager in a Chinese locale, where Wine's takes the commands, by the setup
# itself elsewhere); Options.ini says Reset=88 and the installed Korvello runs and shows it. A
# second setup then finds the installation and asks before reinstalling. With
# E2E_INSTALL_FOLDER set (a folder on D:, such as "D:\软件 安装\Korvello\"), the user types it
# on the folder page instead.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
# shellcheck disable=SC1003  # drive roots, meant as written
source "$(dirname "$0")/../lib.sh"
e2e_begin "${E2E_SCENARIO_NAME:-full_install}" "$@"

wizard=$(e2e_wizard_title)
serial=$(e2e_setup_value Form Serial)
version=$(e2e_setup_value Form Version)
link_name=$(e2e_setup_value Form desKtopLink)
dir_name=$(e2e_setup_value SetupDir DirName)
target=$(e2e_setup_value Run FileName)
[[ -n "$serial" && -n "$link_name" && -n "$target" ]] ||
  e2e_fail "Setup.ini lacks [Form] Serial, [Form] desKtopLink or [Run] FileName"

drive_d=$E2E_RUN/drive-d
e2e_map_drives d "$drive_d"
folder=${E2E_INSTALL_FOLDER:-"D:\\Program Files\\$dir_name\\"}
[[ "$folder" == 'D:\'*'\' ]] || e2e_fail "the install folder $folder is not a folder on D:"
host_folder=$drive_d/${folder#D:\\}
host_folder=${host_folder//\\//}
host_folder=${host_folder%/}

click() { e2e_wizard_click "$wizard" "$@"; }
next() { click --button '下一步 >'; }

# ---- the installation -----------------------------------------------------------------------

e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"
next
next
if [[ -n "${E2E_INSTALL_FOLDER:-}" ]]; then
  e2e_robot type --title "$wizard" --class "$E2E_FORM_CLASS" --nth Edit:2 --text "$folder" >/dev/null ||
    e2e_fail "cannot type the install folder"
fi
next
e2e_expect_eventually "the confirmation page" yes e2e_wizard_shows "$wizard" 安装确认
next

# The progress window: borderless, white, with its status line, bar and Cancel.
e2e_wait_window 安装 30
style=$(e2e_window_info 安装 style) || style=''
[[ "$style" =~ ^0x[0-9a-f]+$ ]] || e2e_fail "cannot read the progress window's style ('$style')"
(((style & 0x00C00000) == 0)) || e2e_fail "the progress window has a caption (style $style)"
e2e_robot state --title 安装 | grep -q $'\t取消$' || e2e_fail "the progress window shows no Cancel"
sleep 1
progress_shot=$E2E_SHOTS/e2e-$E2E_NAME-progress.png
e2e_window_screenshot 安装 "$progress_shot"
# Its frame: three pixels of RGB(16, 83, 194) inside each edge, the white window within.
read -r left top right bottom < <(e2e_window_info 安装 rect)
frame_edge() { e2e_pixels "$progress_shot" "$@" | awk '{ print $3 "," $4 "," $5 }' | xargs; }
blue=16,83,194 white=255,255,255
e2e_expect_eq "$(frame_edge "$left" $((top + 100)) 4 1)" "$blue $blue $blue $white" \
  "the progress window's frame at its left edge"
e2e_expect_eq "$(frame_edge $((right - 4)) $((top + 100)) 4 1)" "$white $blue $blue $blue" \
  "the progress window's frame at its right edge"
e2e_expect_eq "$(frame_edge $((left + 180)) "$top" 1 4)" "$blue $blue $blue $white" \
  "the progress window's frame at its top edge"
e2e_expect_eq "$(frame_edge $((left + 180)) $((bottom - 4)) 1 4)" "$white $blue $blue $blue" \
  "the progress window's frame at its bottom edge"

# About a second after the run, the wizard comes back on its finish page.
e2e_wait_finish_page "$wizard" "$setup"
e2e_shown_controls "$wizard" "$E2E_FORM_CLASS" | grep -qF "$wizard 安装完毕." ||
  e2e_fail "the finish page does not say the installation is complete"
e2e_shown_controls "$wizard" "$E2E_FORM_CLASS" | grep -qF "$wizard 已经成功安装在您的电脑中" ||
  e2e_fail "the finish page's banner does not say the product was installed"
e2e_window_screenshot "$wizard" "$E2E_SHOTS/e2e-$E2E_NAME-finish.png" "$E2E_FORM_CLASS"
e2e_log "the wizard is back on its finish page"

click --button 完毕
e2e_expect_exit "$setup" 60 "the setup" 0
e2e_expect_no_staged_files

# ---- what the installation left ------------------------------------------------------------

# Options.ini is the product's, with the value the finish page wrote into it.
e2e_expect_installed_files "$host_folder" Options.ini
[[ -f "$host_folder/Uninstall.exe" ]] || e2e_fail "no Uninstall.exe in $host_folder"
options=$(tr -d '\r' <"$host_folder/Options.ini")
grep -qx 'Reset=88' <<<"$options" || e2e_fail "Options.ini says: $options"
while IFS= read -r line; do
  [[ "$line" == Reset=* ]] || grep -qxF "$line" <<<"$options" ||
    e2e_fail "Options.ini lost the product's line $line"
done < <(tr -d '\r' <"$E2E_PRODUCT/Options.ini")

path="$folder$target"
uninstall='HKCU\software\microsoft\windows\currentversion\uninstall\Korvello'
e2e_expect_registry_value "$uninstall" displayname Korvello
e2e_expect_registry_value "$uninstall" Publisher Lumenford
e2e_expect_registry_value "$uninstall" uninstallstring "\"$E2E_PROTECTED_UNINSTALLER\""
e2e_expect_registry_value "$uninstall" QuietUninstallString "\"$E2E_PROTECTED_UNINSTALLER\" /S"
e2e_expect_registry_value "$uninstall" InstallLocation "$folder"
e2e_expect_registry_value "$uninstall" DisplayIcon "\"$path\",0"
e2e_expect_registry_value "$uninstall" NoModify dword:1
e2e_expect_registry_value "$uninstall" NoRepair dword:1
display_version=$(sed -E 's/(..)/\1./g; s/\.$//; s/(^|\.)0([0-9])/\1\2/g' <<<"$serial")
e2e_expect_registry_value "$uninstall" DisplayVersion "$display_version"
# The installed files' bytes in KB, rounded up (Options.ini comes later, from the finish page, and
# the installation record once the run has completed).
files_bytes=$(find "$host_folder" -type f ! -name Options.ini ! -name InstallRecord.txt \
  -printf '%s\n' |
  awk '{ s += $1 } END { print s }')
e2e_expect_registry_value "$uninstall" EstimatedSize "dword:$(((files_bytes + 1023) / 1024))"
record_first_line=$(head -n 1 "$host_folder/InstallRecord.txt" 2>/dev/null | tr -d '\r')
e2e_expect_eq "$record_first_line" "Korvello installation record 1" "the installation record"

e2e_expect_registry_value 'HKCR\.Orv' @ 'Software\KORVL'
e2e_expect_registry_value 'HKCR\Software\KORVL' @ "$wizard"
e2e_expect_registry_value 'HKCR\Software\KORVL\DefaultIcon' @ "$path,0"
e2e_expect_registry_value 'HKCR\Software\KORVL\Shell\Open' @ '&Open'
e2e_expect_registry_value 'HKCR\Software\KORVL\Shell\Open\Command' @ "\"$path\" \"%1\""
e2e_expect_registry_value 'HKCU\Software\KORVL\Shell\PathName' Path "$folder"
e2e_expect_registry_value 'HKCU\Software\KORVL\Shell\Serial' Serial "$serial"
e2e_expect_registry_value 'HKCU\Software\KORVL\Shell\Version' Version "$version"
e2e_expect_registry_value 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers' \
  "${folder}KORV.exe" '~ DPIUNAWARE'
e2e_log "the registry holds every value of the installation"

link="C:\\users\\Public\\Desktop$link_name"
link_read=$(e2e_read_link "$link") || e2e_fail "no shortcut $link"
e2e_expect_eq "$link_read" "$(e2e_robot_escaped "$path")"$'\t'"$(e2e_robot_escaped "$folder")" \
  "the shortcut's target and working folder"
e2e_log "the desktop shortcut $link points at $path"

# The program group: Program Manager's where it takes the commands (in code page 936; Wine's
# makes it in the user's programs folder), otherwise the setup's own folder of links in the
# all-users programs folder. Four items either way, each starting its installed file.
if [[ $(e2e_ansi_code_page) == 936 ]]; then
  programs="$WINEPREFIX/drive_c/users"
else
  programs="$WINEPREFIX/drive_c/ProgramData"
fi
groups=$(find "$WINEPREFIX/drive_c" -type d -path '*/Start Menu/Programs/*' -name "$wizard")
e2e_expect_eq "$groups" "$(find "$programs" -type d -path '*/Start Menu/Programs/*' -name "$wizard")" \
  "the one program group named $wizard, in ${programs#"$WINEPREFIX/"}"
[[ -n "$groups" ]] || e2e_fail "no program group named $wizard"
e2e_expect_eq "$(find "$groups" -mindepth 1 -printf '%f\n' | sort | paste -sd '|')" \
  "$(printf '%s\n' "$wizard.lnk" "卸载$wizard.lnk" 使用说明.lnk 用户授权协议.lnk | sort | paste -sd '|')" \
  "the program group's items"
group_windows="C:\\${groups#"$WINEPREFIX/drive_c/"}"
group_windows=${group_windows//\//\\}
for item in "$wizard|$path" "卸载$wizard|$E2E_PROTECTED_UNINSTALLER" "使用说明|${folder}help.chm" \
  "用户授权协议|${folder}用户授权协议.txt"; do
  title=${item%%|*} item_target=${item#*|}
  item_read=$(e2e_read_link "$group_windows\\$title.lnk") || e2e_fail "cannot read the item $title"
  e2e_expect_eq "${item_read%%$'\t'*}" "$(e2e_robot_escaped "$item_target")" "the target of $title"
  if [[ "$programs" == */ProgramData ]]; then
    e2e_expect_eq "${item_read#*$'\t'}" "$(e2e_robot_escaped "${item_target%\\*}\\")" \
      "the working folder of $title"
  fi
done
e2e_log "the program group $group_windows holds its four items"

# The setup started the installed Korvello, which read the options the setup wrote.
e2e_robot wait-window --title "$E2E_PRODUCT_TITLE" --class "$E2E_PRODUCT_CLASS" --timeout 60 \
  >/dev/null || e2e_fail "the installed Korvello did not start"
e2e_texts "$E2E_PRODUCT_TITLE" | grep -q 'Reset=88' || e2e_fail "Korvello did not read Reset=88"
e2e_robot close --title "$E2E_PRODUCT_TITLE" >/dev/null
e2e_robot wait-gone --title "$E2E_PRODUCT_TITLE" --timeout 30 >/dev/null

# ---- a second setup finds the installation ------------------------------------------------

e2e_start again "$E2E_SETUP"
e2e_wait_window "$E2E_CONFIRM_TITLE" 60
e2e_texts "$E2E_CONFIRM_TITLE" | grep -qF "${wizard}已经安装，要再次安装吗？" ||
  e2e_fail "the second setup did not ask before reinstalling"
e2e_answer "$E2E_CONFIRM_TITLE" "$IDNO"
e2e_expect_exit "$again" 30 "the second setup" 0
e2e_pass
