#!/usr/bin/env bash
# The platform contract tests of the win32 back end (korv_contract.exe, the same tests the host
# build runs against the simulated machine) under Wine, in the locale and prefix the setup
# program meets. Any failing contract test fails the scenario.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
e2e_begin contract "$@"

[[ -f "$E2E_CONTRACT" ]] || e2e_fail "the contract test program $E2E_CONTRACT is not built"
e2e_log "running $(basename "$E2E_CONTRACT")"

# Wine makes no folder links through the system's calls; one made on the host shows to programs
# as a link (a reparse point), as a standard user's junction would on Windows. The link
# contract uses it where the system cannot make one itself.
link_target="$WINEPREFIX/drive_c/korv-contract-target"
mkdir -p "$link_target"
ln -sfn "$link_target" "$WINEPREFIX/drive_c/korv-contract-link"
export KORV_FOLDER_LINK='C:\korv-contract-link' KORV_FOLDER_LINK_TARGET='C:\korv-contract-target'

report="$E2E_RUN/contract-report.xml"
log="$E2E_RUN/contract.log"
# Wine's drive Z: is the host's root.
(cd "$(dirname "$E2E_CONTRACT")" &&
  timeout 240 "$E2E_WINE" "$(basename "$E2E_CONTRACT")" --gtest_color=no \
    --gtest_output="xml:Z:${report//\//\\}") >"$log" 2>&1
status=$?
tr -d '\r' <"$log"

[[ $status != 124 ]] || e2e_fail "the contract tests did not end within 240 s"
grep -q '^\[==========\] [0-9]* tests\? from .* ran' "$log" ||
  e2e_fail "the contract tests did not run to the end (exit $status)"
! grep -q '^\[  FAILED  \]' "$log" || e2e_fail "contract tests failed (exit $status); see $report"
[[ $status == 0 ]] || e2e_fail "the contract test program ended with exit $status"
e2e_pass
