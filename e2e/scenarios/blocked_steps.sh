#!/usr/bin/env bash
# Steps the run cannot take, each undone whole. Twice a silent setup meets something of the
# user's standing where the run needs to write:
# - a file named like one of the product's folders inside the install folder the user made: the
#   folder cannot be made, the setup ends with the exit code for a write that failed, and the
#   install folder holds only the user's things again;
# - a folder named like the desktop shortcut in the common desktop folder: the shortcut cannot be
#   saved, the setup ends with the exit code for a registration step, the install folder it made
#   is gone, the uninstall entry it had written is removed again and the user's folder stays.
# Both times the log names the failed step and no journal of the run is left.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
# shellcheck disable=SC1003  # folders ending in a backslash, meant as written
source "$(dirname "$0")/../lib.sh"
e2e_begin blocked_steps "$@"

readonly USER_FOLDER='D:\Mine\'
readonly NEW_FOLDER='D:\Fresh\'
readonly FOLDER_LOG='C:\blocked-folder.log'
readonly LINK_LOG='C:\blocked-link.log'
# A folder of the product's manifest, below the install folder.
readonly BLOCKED_FOLDER=SdbFile
readonly MARKER_NAME='用户的笔记.txt'
# The silent run's exit codes: a file or folder not written; a registration step failed.
readonly WRITE_FAILED=6
readonly REGISTRATION_FAILED=7

drive_d=$E2E_RUN/drive-d
e2e_map_drives d "$drive_d"
user_host=$(e2e_host_path "$USER_FOLDER")
new_host=$(e2e_host_path "$NEW_FOLDER")

# Fails unless the log has a line with the text. Usage: expect_log_line LOG TEXT
expect_log_line() {
  local log line
  log=$(e2e_host_path "$1")
  [[ -f "$log" ]] || e2e_fail "no log at $1"
  line=$(tr -d '\r' <"$log" | grep -F -m1 "$2") || {
    sed 's/^/  [log] /' "$log"
    e2e_fail "the log $1 has no line with '$2'"
  }
  e2e_log "the log says: $line"
}

# ---- an entry folder that cannot be made ------------------------------------------------------

mkdir -p "$user_host" || e2e_fail "cannot make $user_host"
printf 'notes of the user\r\n' >"$user_host/$MARKER_NAME"
printf 'not a folder\r\n' >"$user_host/$BLOCKED_FOLDER"
before=$(e2e_tree_listing "$drive_d")

e2e_start setup "$E2E_SETUP" /S "/LOG=$FOLDER_LOG" "/D=$USER_FOLDER"
e2e_expect_exit "$setup" 240 "the setup whose folder $BLOCKED_FOLDER is a file" "$WRITE_FAILED"
after=$(e2e_tree_listing "$drive_d")
if [[ "$after" != "$before" ]]; then
  diff <(printf '%s\n' "$before") <(printf '%s\n' "$after") | sed 's/^/  /'
  e2e_fail "drive D: is not as before the setup whose folder could not be made (< before, > after)"
fi
expect_log_line "$FOLDER_LOG" "$BLOCKED_FOLDER"
e2e_expect_no_journal
e2e_expect_nothing_registered
e2e_log "the failed folder undone: $USER_FOLDER holds only the user's files"

# ---- a desktop shortcut that cannot be saved --------------------------------------------------

link_name=$(e2e_setup_value Form desKtopLink)
link_host=$(e2e_host_path "C:\users\Public\Desktop$link_name")
mkdir -p "$link_host" || e2e_fail "cannot make the folder $link_host"
printf 'kept\r\n' >"$link_host/inside.txt"

e2e_start setup "$E2E_SETUP" /S "/LOG=$LINK_LOG" "/D=$NEW_FOLDER"
e2e_expect_exit "$setup" 240 "the setup whose desktop shortcut cannot be saved" \
  "$REGISTRATION_FAILED"
[[ ! -e "$new_host" ]] || {
  (cd "$drive_d" && find Fresh | head -20 | sed 's/^/  /')
  e2e_fail "the folder $NEW_FOLDER the failed setup made is left"
}
after=$(e2e_tree_listing "$drive_d")
[[ "$after" == "$before" ]] || e2e_fail "drive D: changed beside the failed setup's own folder"
[[ -d "$link_host" && "$(cat "$link_host/inside.txt")" == $'kept\r' ]] ||
  e2e_fail "the user's folder $link_host is not as it was"
expect_log_line "$LINK_LOG" "${link_name#\\}"
e2e_expect_no_journal
! e2e_registry_value "$E2E_UNINSTALL_KEY" DisplayName >/dev/null ||
  e2e_fail "the uninstall entry $E2E_UNINSTALL_KEY is left"
! e2e_registry_value 'HKCU\Software\KORVL\Shell\PathName' Path >/dev/null ||
  e2e_fail "the product's install path is left in the registry"
e2e_log "the failed shortcut undone: no folder, no uninstall entry, the user's folder kept"
e2e_pass
