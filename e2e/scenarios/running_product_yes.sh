#!/usr/bin/env bash
# With the product running, the setup asks whether to end it; Yes terminates the product with
# exit code 4 and the wizard follows.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin running_product_yes "$@"

wizard=$(e2e_wizard_title)
e2e_start_product product
e2e_start setup "$E2E_SETUP"
e2e_expect_product_question

e2e_answer "$E2E_NOTICE_TITLE" "$IDYES"
e2e_expect_exit "$product" 30 "the running product" 4
e2e_wait_wizard "$wizard"
e2e_close_setup "$setup" "$wizard"
e2e_pass
