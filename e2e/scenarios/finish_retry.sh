#!/usr/bin/env bash
# "完毕" when the product's Options.ini cannot be written: a whole installation into the proposed
# folder on D:, then, before "完毕", a folder takes the place of the installed Options.ini. The
# first click starts the installed Korvello and then reports "Unable to write to" the file in
# the default error report (titled with the application's title, one OK button); the wizard
# stays on its finish page. A second click writes again and reports again, and starts no second
# Korvello. Once the folder is gone, a third click writes Reset=88 and ends the setup with exit
# code 0, still with one Korvello running.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin finish_retry "$@"

readonly APPLICATION_TITLE=korvlSetup
# Long enough for a copy of Korvello started by a click to show its window.
readonly COPY_WAIT=8

wizard=$(e2e_wizard_title)
e2e_use_proposed_folder
# As the robot prints it: backslashes doubled.
unwritable=$(e2e_robot_escaped "Unable to write to ${folder}Options.ini")

finish() { e2e_wizard_click "$wizard" --button 完毕; }

# The processes that show a window of the product's class, however many windows each has.
product_copies() {
  e2e_robot list | awk -F'\t' -v class="$E2E_PRODUCT_CLASS" '$4 == class { print $2 }' |
    sort -u | wc -l
}

# Exactly one Korvello runs, and no other starts for COPY_WAIT seconds.
expect_one_copy() {
  local what=$1 copies deadline=$((SECONDS + COPY_WAIT))
  while :; do
    copies=$(product_copies)
    ((copies == 1)) || e2e_fail "$what: $copies copies of Korvello run"
    ((SECONDS < deadline)) || break
    sleep 0.5
  done
  e2e_log "$what: one Korvello runs"
}

# The default error report of the failed write: one OK button; answered with OK.
expect_write_report() {
  e2e_wait_window "$APPLICATION_TITLE" 30
  e2e_expect_message_box "$APPLICATION_TITLE" "$unwritable" "$IDOK"
  e2e_answer "$APPLICATION_TITLE" "$IDOK"
}

# ---- the installation, up to the finish page ------------------------------------------------

e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"
e2e_wizard_to_confirmation "$wizard"
e2e_wizard_click "$wizard" --button '下一步 >'
e2e_wait_finish_page "$wizard" "$setup"
[[ -f "$host_folder/Options.ini" ]] || e2e_fail "the installation left no $host_folder/Options.ini"
(($(product_copies) == 0)) || e2e_fail "Korvello runs before the finish page's click"

# A folder in the place of the options file: no write can replace it.
rm "$host_folder/Options.ini" || e2e_fail "cannot remove $host_folder/Options.ini"
mkdir "$host_folder/Options.ini" || e2e_fail "cannot make the folder $host_folder/Options.ini"

# ---- the first click starts Korvello, then reports --------------------------------------------

finish
expect_write_report
e2e_robot wait-window --title "$E2E_PRODUCT_TITLE" --class "$E2E_PRODUCT_CLASS" --timeout 60 \
  >/dev/null || e2e_fail "the first click did not start the installed Korvello"
e2e_is_running "$setup" || e2e_fail "the setup ended after the failed write"
e2e_expect_eq "$(e2e_finish_button "$wizard")" enabled "the finish button after the failed write"
expect_one_copy "after the first click"

# ---- the retry writes again and starts nothing -------------------------------------------------

finish
expect_write_report
e2e_is_running "$setup" || e2e_fail "the setup ended after the second failed write"
expect_one_copy "after the retry"

# ---- once the file can be written, the setup ends -------------------------------------------

rmdir "$host_folder/Options.ini" || e2e_fail "cannot take the folder away again"
finish
e2e_expect_exit "$setup" 60 "the setup" 0
e2e_expect_no_staged_files
options=$(tr -d '\r' <"$host_folder/Options.ini") || e2e_fail "no Options.ini was written"
grep -qx 'Reset=88' <<<"$options" || e2e_fail "Options.ini says: $options"
expect_one_copy "after the setup ended"
e2e_robot close --title "$E2E_PRODUCT_TITLE" >/dev/null
e2e_robot wait-gone --title "$E2E_PRODUCT_TITLE" --timeout 30 >/dev/null ||
  e2e_fail "Korvello did not close"
e2e_pass
