#!/usr/bin/env bash
# The install drive full. Drive D: is a small RAM-backed file system (tmpfs, mounted as root) that
# the product's payload does not fit, holding one file of the user's. A silent setup into the
# proposed folder on D: sees the free space is too small, ends with its exit code for that and
# installs nothing. On screen, Next on the confirmation page asks "磁盘空间不足" with Yes and No:
# No goes back to the folder page, Yes starts the run, which fails on the full disk and reports
# it in the application's error box; after OK, 取消 and OK end the setup. Both times the drive
# is exactly as before (every entry, size and checksum) and no journal of the run is left.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"

# The drive: smaller than the payload (about 47 MB), larger than its first files, so the run on
# screen has begun writing when the disk fills.
readonly DRIVE_SIZE=20m
readonly MARKER_NAME='用户的文件.txt'
readonly SILENT_LOG='C:\disk_full-silent.log'
# The silent run's exit code when the free space is smaller than the payload.
readonly SILENT_EXIT_CODE=8
readonly SPACE_TITLE='磁盘空间不足'
readonly FOLDER_PAGE_BANNER='选择安装文件夹'
readonly PROGRESS_TITLE=安装
readonly CANCEL_BUTTON=取消
readonly CANCEL_TEXT='安装程序进行中,确定要退出安装吗?'
# A write the full disk refuses goes to the application's error report: its title, its text.
readonly ERROR_TITLE=korvlSetup
# The error report names the file the disk had no room for, then the system's reason in the
# system's language ("磁盘满。" in Chinese).
readonly ERROR_TEXT_START='Cannot create file "D:\Program Files\Korvl280\'

((EUID == 0)) || e2e_skip "mounting a small drive takes root (CI runs as root)"
e2e_begin disk_full "$@"

wizard=$(e2e_wizard_title)
mount_point=$E2E_RUN/drive-d
mkdir -p "$mount_point" || e2e_fail "cannot make $mount_point"
mount -t tmpfs -o "size=$DRIVE_SIZE,mode=0755" korv-e2e-disk-full "$mount_point" ||
  e2e_skip "cannot mount a tmpfs of $DRIVE_SIZE at $mount_point"
E2E_CLEANUPS+=("umount '$mount_point' || umount -l '$mount_point'")
e2e_use_proposed_folder
[[ "$drive_d" == "$mount_point" ]] || e2e_fail "drive D: is $drive_d, not the small drive"
printf 'a file of the user, before any setup ran\r\n' >"$drive_d/$MARKER_NAME"
payload=$(du -sb "$E2E_PRODUCT" | cut -f1)
free=$(df -B1 --output=avail "$drive_d" | tail -1 | tr -d ' ')
((free < payload)) || e2e_fail "the small drive has $free bytes free, the payload needs $payload"
e2e_log "drive D: is a tmpfs of $DRIVE_SIZE: $free bytes free for a payload of $payload"
drive_before=$(e2e_tree_listing "$drive_d")

# The drive holds exactly what it held before the setup ran, and nothing else is left of it.
expect_untouched() {
  local what=$1 now
  now=$(e2e_tree_listing "$drive_d")
  if [[ "$now" != "$drive_before" ]]; then
    diff <(printf '%s\n' "$drive_before") <(printf '%s\n' "$now") | sed 's/^/  /'
    e2e_fail "drive D: is not as before $what (< before, > after)"
  fi
  e2e_expect_no_journal
  e2e_expect_no_staged_files
  e2e_expect_nothing_registered
  e2e_log "after $what: drive D: as before, no journal, nothing registered"
}

# ---- silent: the free space is too small, nothing is installed ------------------------------

e2e_start setup "$E2E_SETUP" /S "/LOG=$SILENT_LOG"
e2e_expect_exit "$setup" 240 "the silent setup on the full drive" "$SILENT_EXIT_CODE"
log=$(e2e_host_path "$SILENT_LOG")
[[ -f "$log" ]] || e2e_fail "the silent setup wrote no log at $SILENT_LOG"
sed 's/^/  [log] /' "$log"
expect_untouched "the silent setup"

# ---- on screen: the question, No, then Yes; the run fails on the full disk -------------------

e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"
e2e_wizard_to_confirmation "$wizard"
e2e_wizard_click "$wizard" --button '下一步 >'
e2e_wait_window "$SPACE_TITLE" 60
e2e_texts "$SPACE_TITLE" | sed "s/^/  [$SPACE_TITLE] /"
buttons=$(e2e_texts "$SPACE_TITLE" | awk -F'\t' '$1 == "Button" { print $2 }' | sort -n | xargs)
e2e_expect_eq "$buttons" "$IDYES $IDNO" "button ids of the box titled '$SPACE_TITLE'"
e2e_screenshot "$E2E_SHOTS/e2e-$E2E_NAME-question.png"
e2e_answer "$SPACE_TITLE" "$IDNO"
e2e_expect_eventually "the folder page after No" yes e2e_wizard_shows "$wizard" "$FOLDER_PAGE_BANNER"
e2e_expect_no_window "the run started after No" --title "$PROGRESS_TITLE"
e2e_log "No: back on the folder page"

e2e_wizard_click "$wizard" --button '下一步 >'
e2e_expect_eventually "the confirmation page" yes e2e_wizard_shows "$wizard" 安装确认
e2e_wizard_click "$wizard" --button '下一步 >'
e2e_wait_window "$SPACE_TITLE" 60
e2e_answer "$SPACE_TITLE" "$IDYES"
e2e_wait_window "$PROGRESS_TITLE" 30
e2e_log "Yes: the run starts"

e2e_wait_window "$ERROR_TITLE" 120
error_texts=$(e2e_texts "$ERROR_TITLE") || e2e_fail "cannot read the box titled '$ERROR_TITLE'"
printf '%s\n' "$error_texts" | sed "s/^/  [$ERROR_TITLE] /"
printf '%s\n' "$error_texts" | WANT=$(e2e_robot_escaped "$ERROR_TEXT_START") awk -F'\t' '
  $1 == "Static" && index($3, ENVIRON["WANT"]) == 1 { found = 1 } END { exit !found }' ||
  e2e_fail "the box titled '$ERROR_TITLE' does not name a file of the install folder"
buttons=$(printf '%s\n' "$error_texts" | awk -F'\t' '$1 == "Button" { print $2 }' | xargs)
e2e_expect_eq "$buttons" "$IDOK" "button ids of the box titled '$ERROR_TITLE'"
e2e_screenshot "$E2E_SHOTS/e2e-$E2E_NAME-error.png"
e2e_answer "$ERROR_TITLE" "$IDOK"

e2e_robot click --title "$PROGRESS_TITLE" --class "$E2E_FORM_CLASS" --button "$CANCEL_BUTTON" \
  >/dev/null || e2e_fail "cannot press $CANCEL_BUTTON in the progress window after the error"
e2e_wait_window "$E2E_EXIT_TITLE" 30
e2e_expect_message_box "$E2E_EXIT_TITLE" "$CANCEL_TEXT" "$IDOK" "$IDCANCEL"
e2e_robot click --title "$E2E_EXIT_TITLE" --id "$IDOK" >/dev/null ||
  e2e_fail "cannot press OK in the question"
e2e_expect_exit "$setup" 10 "the setup after the failed run" 0
e2e_expect_no_window "a window of the setup is left after it ended" --class "$E2E_FORM_CLASS" --hidden
expect_untouched "the failed run on screen"
e2e_pass
