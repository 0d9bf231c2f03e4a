#!/usr/bin/env bash
# While the wizard shows, the three setup files are staged in a folder of the setup's own inside
# the Temp folder of the Windows folder, byte for byte as the product folder has them; files
# planted at their names in the shared Temp folder before the start (a configuration with
# another caption and program) change nothing the setup shows and stay as they were. Closing
# the setup removes the staged files and the folder and ends it with exit code 0.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin staging "$@"

wizard=$(e2e_wizard_title)
e2e_seed_stale_staged_files
e2e_start setup "$E2E_SETUP"
# Found by the product's own caption: the planted configuration names another.
e2e_wait_wizard "$wizard"

staging=$(e2e_staging_folder)
for i in "${!E2E_STAGED_FILES[@]}"; do
  staged="$staging/${E2E_STAGED_FILES[$i]}"
  source_file="$E2E_PRODUCT/${E2E_STAGED_SOURCES[$i]}"
  [[ -f "$staged" ]] || e2e_fail "$staged is not staged"
  cmp "$source_file" "$staged" || e2e_fail "$staged differs from $source_file"
  e2e_log "staged ${E2E_STAGED_FILES[$i]}: $(stat -c %s "$staged") bytes, same as ${E2E_STAGED_SOURCES[$i]}"
done

e2e_log "staged in $staging"
e2e_close_setup "$setup" "$wizard"
[[ ! -e "$staging" ]] || e2e_fail "the staging folder $staging is left"
e2e_expect_no_staged_files
e2e_pass
