#!/usr/bin/env bash
# Cancel during the extraction, as a user presses it: the wizard is walked with Next into the
# proposed folder on D: and the run starts. While the status line shows a file being extracted,
# 取消 asks "安装程序进行中,确定要退出安装吗?" (OK and Cancel, owned by the progress window);
# Cancel there lets the run go on (more files arrive), a second 取消 and OK end the setup within a
# few seconds with exit code 0: no window of the setup is left (backdrop, wizard, progress
# window), the staging folder is gone and the run is rolled back: drive D: is as before (the
# install folder did not exist and does not), no journal of the run is left, no uninstall entry
# and no desktop shortcut.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin cancel_install "$@"

readonly PROGRESS_TITLE=安装
readonly CANCEL_BUTTON=取消
readonly CANCEL_TEXT='安装程序进行中,确定要退出安装吗?'
# A confirmed Cancel ends the setup at once: the run stops at its next servicing point.
readonly END_SECONDS=10

wizard=$(e2e_wizard_title)
e2e_use_proposed_folder
[[ ! -e "$host_folder" ]] || e2e_fail "the install folder $folder exists before the run"
drive_before=$(e2e_tree_listing "$drive_d")

# How many files the run has written so far.
written() { find "$host_folder" -type f 2>/dev/null | wc -l; }

# The status line of the progress window (its visible static texts, as the robot escapes them).
status_line() {
  e2e_shown_controls "$PROGRESS_TITLE" "$E2E_FORM_CLASS" | awk -F'\t' '$1 == "Static" { print $4 }'
}

# Waits until the status line names a file below the install folder (the run is extracting).
wait_for_extraction() {
  local prefix shown deadline=$((SECONDS + 60))
  prefix=$(e2e_robot_escaped 'D:\Program Files\')
  while :; do
    shown=$(status_line)
    [[ "$shown" == "$prefix"* ]] && break
    e2e_is_running "$setup" || e2e_fail "the setup ended before the extraction was seen"
    ((SECONDS < deadline)) || e2e_fail "the status line never showed a file (last: '$shown')"
    sleep 0.1
  done
  e2e_log "extracting: $shown"
}

# Presses 取消 and checks the question: its text, OK and Cancel, owned by the progress window.
ask_to_cancel() {
  local progress owner
  e2e_robot click --title "$PROGRESS_TITLE" --class "$E2E_FORM_CLASS" --button "$CANCEL_BUTTON" \
    >/dev/null || e2e_fail "cannot press $CANCEL_BUTTON in the progress window"
  e2e_wait_window "$E2E_EXIT_TITLE" 30
  e2e_expect_message_box "$E2E_EXIT_TITLE" "$CANCEL_TEXT" "$IDOK" "$IDCANCEL"
  progress=$(e2e_window_info "$PROGRESS_TITLE" hwnd "$E2E_FORM_CLASS") ||
    e2e_fail "the progress window is gone while the question is open"
  owner=$(e2e_window_info "$E2E_EXIT_TITLE" owner) || e2e_fail "cannot read the question's owner"
  e2e_expect_eq "$owner" "$progress" "the window that owns the question"
}

# ---- the run starts ----------------------------------------------------------------------

e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"
e2e_wizard_to_confirmation "$wizard"
e2e_wizard_click "$wizard" --button '下一步 >'
e2e_wait_window "$PROGRESS_TITLE" 30
wait_for_extraction

# ---- 取消, then Cancel: the run goes on --------------------------------------------------

ask_to_cancel
# The run waits while the question is open.
held=$(written)
sleep 1
e2e_expect_eq "$(written)" "$held" "files written while the question was open"
e2e_answer "$E2E_EXIT_TITLE" "$IDCANCEL"
deadline=$((SECONDS + 30))
until (($(written) > held)); do
  e2e_is_running "$setup" || e2e_fail "the setup ended after Cancel in the question"
  ((SECONDS < deadline)) || e2e_fail "the run did not go on after Cancel in the question ($held files)"
  sleep 0.1
done
e2e_log "declined: the run goes on ($held files, then $(written))"
e2e_robot exists --title "$PROGRESS_TITLE" --class "$E2E_FORM_CLASS" >/dev/null ||
  e2e_fail "the progress window is gone after Cancel in the question"

# ---- 取消, then OK: the setup ends -------------------------------------------------------

wait_for_extraction
ask_to_cancel
stopped_at=$(written)
e2e_screenshot "$E2E_SHOTS/e2e-$E2E_NAME-question.png"
e2e_robot click --title "$E2E_EXIT_TITLE" --id "$IDOK" >/dev/null ||
  e2e_fail "cannot press OK in the question"
confirmed=$SECONDS
e2e_expect_exit "$setup" "$END_SECONDS" "the setup after the confirmed Cancel" 0
e2e_log "the setup ended $((SECONDS - confirmed)) s after OK, with exit code 0"

# ---- what is left: nothing --------------------------------------------------------------

e2e_expect_no_window "a window of the setup is left after it ended" --class "$E2E_FORM_CLASS" --hidden
e2e_expect_no_window "the progress window is left" --title "$PROGRESS_TITLE" --hidden
e2e_expect_no_window "the wizard is left" --title "$wizard" --hidden
e2e_expect_no_staged_files
left=$(e2e_tree_listing "$drive_d")
if [[ "$left" != "$drive_before" ]]; then
  diff <(printf '%s\n' "$drive_before") <(printf '%s\n' "$left") | sed 's/^/  /' | head -20
  e2e_fail "drive D: is not as before the run ($stopped_at files written when OK was pressed)"
fi
[[ ! -e "$host_folder" ]] || e2e_fail "the install folder $folder is left"
e2e_expect_no_journal
e2e_expect_nothing_registered
e2e_log "rolled back: $stopped_at files had been written, drive D: is as before, no journal," \
  "no uninstall entry, no desktop shortcut"
e2e_pass
