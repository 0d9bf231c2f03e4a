#!/usr/bin/env bash
# A second start while a setup runs shows only the "already running" notice and ends with exit
# code 0; the first setup keeps its wizard and can still be ended normally.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin second_instance "$@"

wizard=$(e2e_wizard_title)
e2e_start first "$E2E_SETUP"
e2e_wait_wizard "$wizard"

e2e_start second "$E2E_SETUP"
e2e_wait_window "$E2E_NOTICE_TITLE" 60
e2e_expect_message_box "$E2E_NOTICE_TITLE" "$E2E_ALREADY_RUNNING_TEXT" "$IDOK"

# The notice is all the second process shows: no backdrop, no wizard of its own.
e2e_expect_only_window "$E2E_NOTICE_TITLE"

e2e_answer "$E2E_NOTICE_TITLE" "$IDOK"
e2e_expect_exit "$second" 30 "the second setup" 0

e2e_is_running "$first" || e2e_fail "the first setup ended with the second one"
e2e_robot exists --title "$wizard" >/dev/null || e2e_fail "the first setup's wizard is gone"
e2e_close_setup "$first" "$wizard"
e2e_pass
