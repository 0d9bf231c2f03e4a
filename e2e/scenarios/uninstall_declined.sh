#!/usr/bin/env bash
# The uninstaller's questions answered on screen. After a silent installation, removing through
# Wine's list of installed programs and answering No to "remove?" removes nothing. With Korvello
# running, Yes to "remove?" and then No to "end the running Korvello?" removes nothing either and
# Korvello keeps running. Each time the uninstaller ends, the installation is whole and still
# listed. Then Yes to both: Korvello is ended, the installation is removed, the list no longer
# shows it.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin uninstall_declined "$@"

readonly RUNNING_TEXT='Korvello正在运行中，只有结束其\r运行后，才能卸载。\r\r要结束正在运行的Korvello吗?'

wizard=$(e2e_wizard_title)
title="$wizard 卸载"
e2e_map_drives d "$E2E_RUN/drive-d"
folder='D:\Korvello\'
host_folder="$E2E_RUN/drive-d/Korvello"

listed() { "$E2E_WINE" uninstaller --list 2>/dev/null | tr -d '\r' | grep -c 'Korvello'; }

# The windows of the product's class, shown or hidden, one line each.
product_windows() {
  e2e_robot list | awk -F'\t' -v class="$E2E_PRODUCT_CLASS" '$4 == class'
}

# Starts `wine uninstaller --remove Korvello` and waits for the uninstaller's question.
remove_through_wine() {
  "$E2E_WINE" uninstaller --remove Korvello >"$E2E_RUN/uninstaller.$RANDOM.log" 2>&1 &
  remover=$!
  E2E_BACKGROUND_PIDS+=("$remover")
  e2e_wait_window "$title" 60
  e2e_expect_message_box "$title" "确实要从您的电脑中删除 $wizard 及其所有组件吗？" "$IDYES" "$IDNO"
}

# The uninstaller has ended and left the installation whole.
expect_untouched() {
  local what=$1
  e2e_wait_exit "$remover" 60 "wine uninstaller --remove, $what"
  e2e_expect_eq "$(cd "$host_folder" && find . -type f | LC_ALL=C sort)" "$installed" \
    "the install folder after $what"
  (($(listed) >= 1)) || e2e_fail "Korvello is no longer listed after $what"
  e2e_log "after $what: the installation is whole and listed"
}

e2e_start setup "$E2E_SETUP" /S "/D=$folder"
e2e_expect_exit "$setup" 240 "the silent installation" 0
installed=$(cd "$host_folder" && find . -type f | LC_ALL=C sort)
[[ -n "$installed" ]] || e2e_fail "the installation put nothing into $folder"

# ---- No to the removal ---------------------------------------------------------------------

remove_through_wine
e2e_answer "$title" "$IDNO"
expect_untouched "No to the removal"

# ---- Yes to the removal, No to ending Korvello ---------------------------------------------

e2e_start_product product
remove_through_wine
e2e_robot click --title "$title" --id "$IDYES" >/dev/null || e2e_fail "cannot press Yes"
e2e_wait_window "$E2E_NOTICE_TITLE" 60
e2e_expect_message_box "$E2E_NOTICE_TITLE" "$RUNNING_TEXT" "$IDYES" "$IDNO"
e2e_answer "$E2E_NOTICE_TITLE" "$IDNO"
expect_untouched "No to ending Korvello"
[[ -n "$(product_windows)" ]] || e2e_fail "Korvello did not keep running after No"

# ---- Yes to both: Korvello ended, the installation removed ---------------------------------

remove_through_wine
e2e_robot click --title "$title" --id "$IDYES" >/dev/null || e2e_fail "cannot press Yes"
e2e_wait_window "$E2E_NOTICE_TITLE" 60
e2e_answer "$E2E_NOTICE_TITLE" "$IDYES"
e2e_wait_window "$title" 120
e2e_expect_message_box "$title" "$wizard 已从您的电脑中删除。" "$IDOK"
e2e_answer "$title" "$IDOK"
e2e_wait_exit "$remover" 60 "wine uninstaller --remove, Yes to both"
e2e_expect_eventually "Korvello's windows after Yes to ending it" '' product_windows
for _ in $(seq 150); do [[ -e "$host_folder" ]] && sleep 0.2; done
[[ ! -e "$host_folder" ]] || e2e_fail "the install folder is left: $(find "$host_folder")"
e2e_expect_eq "$(listed)" 0 "Korvello in wine uninstaller --list"
e2e_log "Yes to both: Korvello ended, the installation removed"
e2e_pass
