#!/usr/bin/env bash
# With the product running, No ends the setup (exit code 0) before the wizard is ever shown;
# the staging folder is left without the setup files (stale ones from an earlier run included)
# and the product keeps running.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin running_product_no "$@"

wizard=$(e2e_wizard_title)
e2e_seed_stale_staged_files
e2e_start_product product
e2e_start setup "$E2E_SETUP"
e2e_expect_product_question

# Watches for the wizard from before the answer until well after the setup has ended.
"$E2E_WINE" "$E2E_ROBOT" wait-window --title "$wizard" --timeout 10 >"$E2E_RUN/watch.out" 2>&1 &
watcher=$!
e2e_answer "$E2E_NOTICE_TITLE" "$IDNO"
e2e_expect_exit "$setup" 30 "the setup" 0
wait "$watcher"
if e2e_robot_found $? "the wizard"; then
  e2e_fail "the wizard appeared after No: $(cat "$E2E_RUN/watch.out")"
fi

e2e_expect_no_staged_files
e2e_is_running "$product" || e2e_fail "the product ended"
e2e_robot exists --title "$E2E_PRODUCT_TITLE" --class "$E2E_PRODUCT_CLASS" >/dev/null ||
  e2e_fail "the product's window is gone"
e2e_robot close --title "$E2E_PRODUCT_TITLE" --class "$E2E_PRODUCT_CLASS"
e2e_wait_exit "$product" 30 "the product"
e2e_pass
