#!/usr/bin/env bash
# Removing Korvello. After a silent installation, Wine's own list of installed programs
# (`wine uninstaller --list`) shows it and `wine uninstaller --remove Korvello` starts the
# uninstall entry's command: the uninstaller asks (Yes), removes and says so. Afterwards the
# install folder is gone, `wine reg export` of HKCU and HKCR shows what it showed before the
# installation, the desktop shortcut, the program group and the protected record are gone and
# the list no longer shows Korvello. A second installation into the same folder sees no earlier
# one. With a document changed and Korvello running, the quiet command (`/S`) exits 2 and removes
# nothing; with Korvello ended it exits 0 and leaves the folder holding the changed document
# only. Last, with the record in the install folder edited to name C:\windows\win.ini and the
# folder's Uninstall.exe replaced by another program, removing through the entry leaves win.ini
# alone and never starts the replaced program.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin uninstall "$@"

wizard=$(e2e_wizard_title)
title="$wizard 卸载"
e2e_map_drives d "$E2E_RUN/drive-d"
folder='D:\Korvello\'
host_folder="$E2E_RUN/drive-d/Korvello"
protected_record=$(e2e_host_path 'C:\ProgramData\KorvelloSetup\Uninstall\InstallRecord.txt')
link=$(e2e_host_path "C:\users\Public\Desktop$(e2e_setup_value Form desKtopLink)")

# The registry below a root as text, for comparing before and after; without the keys Wine keeps
# for itself (the menu files its menu builder made for the links, settings of its desktop and
# explorer), which Wine writes when a program makes a link or a window opens, never the setup.
registry_of() {
  local root=$1 file="$E2E_RUN/registry.$RANDOM.reg"
  "$E2E_WINE" reg export "$root" "$file" /y >/dev/null 2>&1 || e2e_fail "cannot export $root"
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | awk '
    /^\[/ { wine = ($0 ~ /^\[HKEY_CURRENT_USER\\Software\\Wine(\\|\])/ ||
                     $0 ~ /\\CurrentVersion\\Explorer\\Advanced\]$/) }
    !wine && NF'
}

install_silently() {
  e2e_start setup "$E2E_SETUP" /S "/D=$folder"
  e2e_expect_exit "$setup" 240 "the silent installation" 0
  [[ -f "$host_folder/KORV.exe" ]] || e2e_fail "the installation did not install KORV.exe"
  [[ -f "$protected_record" ]] || e2e_fail "no protected record after the installation"
}

listed() { "$E2E_WINE" uninstaller --list 2>/dev/null | tr -d '\r' | grep -c 'Korvello'; }

# Starts `wine uninstaller --remove Korvello` in the background; sets remover to its process id.
remove_through_wine() {
  "$E2E_WINE" uninstaller --remove Korvello >"$E2E_RUN/uninstaller.$RANDOM.log" 2>&1 &
  remover=$!
  E2E_BACKGROUND_PIDS+=("$remover")
}

# Whether a window of the product's class is there, shown or hidden.
product_window() {
  e2e_robot list | awk -F'\t' -v class="$E2E_PRODUCT_CLASS" '$4 == class' | grep -q .
}

# The groups of the Start menu named after the wizard.
groups() { find "$WINEPREFIX/drive_c" -type d -path '*/Start Menu/Programs/*' -name "$wizard"; }

# Yes to the uninstaller's question. The box that follows it has the same title and may come at
# once, so the question is gone when no box of that title offers Yes any more.
yes_offered() {
  e2e_texts "$title" 2>/dev/null | awk -F'\t' -v id="$IDYES" '$1 == "Button" && $2 == id'
}
answer_yes() {
  e2e_robot click --title "$title" --id "$IDYES" >/dev/null ||
    e2e_fail "cannot press Yes in the box titled '$title'"
  e2e_expect_eventually "the question titled '$title' answered" '' yes_offered
}

# ---- install, then remove through Wine's list of installed programs -------------------------

hkcu_before=$(registry_of HKCU)
hkcr_before=$(registry_of HKCR)
install_silently
(($(listed) >= 1)) || e2e_fail "wine uninstaller --list does not show Korvello"
[[ -e "$link" && -n "$(groups)" ]] || e2e_fail "no desktop shortcut or program group to remove"

remove_through_wine
e2e_wait_window "$title" 60
e2e_expect_message_box "$title" "确实要从您的电脑中删除 $wizard 及其所有组件吗？" "$IDYES" "$IDNO"
e2e_window_screenshot "$title" "$E2E_SHOTS/e2e-$E2E_NAME-question.png"
answer_yes
e2e_wait_window "$title" 120
e2e_expect_message_box "$title" "$wizard 已从您的电脑中删除。" "$IDOK"
e2e_window_screenshot "$title" "$E2E_SHOTS/e2e-$E2E_NAME-removed.png"
e2e_answer "$title" "$IDOK"
e2e_wait_exit "$remover" 60 "wine uninstaller --remove"

for _ in $(seq 150); do [[ -e "$host_folder" ]] && sleep 0.2; done
[[ ! -e "$host_folder" ]] || e2e_fail "the install folder is left: $(find "$host_folder")"
[[ ! -e "$link" ]] || e2e_fail "the desktop shortcut $link is left"
[[ -z "$(groups)" ]] || e2e_fail "the program group is left: $(groups)"
[[ ! -e "$protected_record" ]] || e2e_fail "the protected record is left"
e2e_expect_eq "$(listed)" 0 "Korvello in wine uninstaller --list"
diff <(printf '%s\n' "$hkcu_before") <(registry_of HKCU) >"$E2E_RUN/hkcu.diff" ||
  e2e_fail "HKCU differs from before the installation: $(cat "$E2E_RUN/hkcu.diff")"
diff <(printf '%s\n' "$hkcr_before") <(registry_of HKCR) >"$E2E_RUN/hkcr.diff" ||
  e2e_fail "HKCR differs from before the installation: $(cat "$E2E_RUN/hkcr.diff")"
e2e_log "removed through wine uninstaller: folder, shortcut, group and registry as before"

# ---- again, silently: a changed document stays, a running Korvello stops the removal --------

install_silently
document='UserFile/例题/例题1.Orv'
[[ -f "$host_folder/$document" ]] || e2e_fail "the product has no $document"
printf 'my own notes\r\n' >"$host_folder/$document"
quiet=$(e2e_registry_value "$E2E_UNINSTALL_KEY" QuietUninstallString) ||
  e2e_fail "the uninstall entry has no QuietUninstallString"
e2e_expect_eq "$quiet" "\"$E2E_PROTECTED_UNINSTALLER\" /S" "the quiet uninstall command"
protected=$(e2e_host_path "$E2E_PROTECTED_UNINSTALLER")

e2e_start_product product
e2e_start quiet "$protected" /S
e2e_expect_exit "$quiet" 120 "the quiet removal with Korvello running" 2
[[ -f "$host_folder/KORV.exe" ]] || e2e_fail "the removal took files while Korvello was running"
e2e_robot close --title "$E2E_PRODUCT_TITLE" >/dev/null
e2e_robot wait-gone --title "$E2E_PRODUCT_TITLE" --timeout 30 >/dev/null

e2e_start quiet "$protected" /S '/LOG=C:\uninstall.log'
e2e_expect_exit "$quiet" 120 "the quiet removal" 0
e2e_expect_eq "$(cd "$host_folder" && find . -type f | sort)" "./$document" \
  "what the install folder holds after the removal"
grep -qF "changed since it was installed, kept" "$WINEPREFIX/drive_c/uninstall.log" ||
  e2e_fail "the log does not name the kept document"
e2e_expect_eq "$(listed)" 0 "Korvello in wine uninstaller --list after /S"
rm -rf "$host_folder"
e2e_log "/S kept the changed document and stopped for the running Korvello"

# ---- a record and an uninstaller in the install folder are not trusted ---------------------

install_silently
win_ini="$WINEPREFIX/drive_c/windows/win.ini"
[[ -f "$win_ini" ]] || printf '[windows]\r\n' >"$win_ini"
win_ini_before=$(sha256sum <"$win_ini")
sed -i 's/^end\r$/file\t..\\..\\windows\\win.ini\t0\t0\t-\tnew\r\nend\r/' \
  "$host_folder/InstallRecord.txt"
grep -q 'win.ini' "$host_folder/InstallRecord.txt" || e2e_fail "the record was not edited"
cp "$E2E_PRODUCT/KORV.exe" "$host_folder/Uninstall.exe"

remove_through_wine
e2e_wait_window "$title" 60
answer_yes
e2e_wait_window "$title" 120
! product_window || e2e_fail "the replaced Uninstall.exe in the install folder was started"
e2e_answer "$title" "$IDOK"
e2e_wait_exit "$remover" 60 "wine uninstaller --remove"
e2e_expect_eq "$(sha256sum <"$win_ini")" "$win_ini_before" "win.ini after the removal"
[[ ! -f "$host_folder/KORV.exe" ]] || e2e_fail "the protected record's files were not removed"
[[ -f "$host_folder/Uninstall.exe" ]] ||
  e2e_fail "the replaced Uninstall.exe, changed since the installation, was not kept"
e2e_log "the edited record and the replaced uninstaller in the install folder were ignored"

e2e_pass
