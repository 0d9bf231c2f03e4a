#!/usr/bin/env bash
# A reinstallation over an installation whose files the user changed. A silent setup installs
# into the proposed folder on D: and leaves its installation record there. The user then changes
# a document (same size, other bytes) and a database (grown), deletes a data file they never
# changed, and changes KORV.exe and Setup.ini. The same setup run again silently exits 0 and
# keeps the document and the database as the user left them, naming exactly those two in its
# log; it puts the deleted file back and replaces KORV.exe and Setup.ini with the payload's
# bytes (an executable and a file the setup itself reads are always replaced); every other file
# is the payload's. On screen, after the reinstall question, the document changed once more is
# kept again and one message box after the run, "保留的文件", names it.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin upgrade_keeps_changes "$@"

# Below the install folder, as the manifest names them.
readonly DOCUMENT='UserFile\示例文档.Orv'
readonly DATABASE='CYLib\CYUser.dat'
readonly DELETED='XsznText\Sszn01.rtf'
readonly EXECUTABLE='KORV.exe'
readonly SETUP_FILE='Setup.ini'
# Options.ini gains a line from the setup itself, so it is never the payload's bytes; the record
# names it as the setup left it, so while nobody changed it since, it is the installation's own
# file: replaced (the setup writes its line again), not kept.
readonly SETUP_WRITTEN='Options.ini'
readonly RECORD_NAME='InstallRecord.txt'
readonly RECORD_FIRST_LINE='Korvello installation record 1'
# One log line per kept file: this, then the file's full path.
readonly KEPT_LINE='kept (changed by the user): '
readonly KEPT_TITLE='保留的文件'
readonly LOG_FIRST='C:\upgrade-first.log'
readonly LOG_AGAIN='C:\upgrade-again.log'

wizard=$(e2e_wizard_title)
e2e_use_proposed_folder

host_of() { printf '%s/%s\n' "$host_folder" "${1//\\//}"; }

# Runs the setup silently to its end and checks its exit code. Usage: run_silently WHAT LOG
run_silently() {
  e2e_start setup "$E2E_SETUP" /S "/LOG=$2"
  e2e_expect_exit "$setup" 240 "$1" 0
}

expect_record() {
  local record first
  record=$(host_of "$RECORD_NAME")
  [[ -f "$record" ]] || e2e_fail "no installation record $folder$RECORD_NAME $1"
  iconv -f UTF-8 -t UTF-8 "$record" >/dev/null || e2e_fail "the record is not UTF-8 text"
  first=$(head -1 "$record" | tr -d '\r' | sed $'s/^\xef\xbb\xbf//')
  e2e_expect_eq "$first" "$RECORD_FIRST_LINE" "the first line of the installation record"
}

# Changes a file's bytes in place, its size kept: the first 64 bytes are the user's.
overwrite_start() {
  printf 'the user edited this document %s' "$1" | head -c 64 |
    dd of="$2" bs=64 count=1 conv=notrunc status=none || e2e_fail "cannot change $2"
}

# ---- the first installation ------------------------------------------------------------------

run_silently "the first silent installation" "$LOG_FIRST"
e2e_expect_installed_files "$host_folder" "$SETUP_WRITTEN"
expect_record "after the first installation"

# ---- the user's changes ----------------------------------------------------------------------

# Later than the installation, as a user's work is.
sleep 1
overwrite_start first "$(host_of "$DOCUMENT")"
head -c 4096 /dev/urandom >>"$(host_of "$DATABASE")" || e2e_fail "cannot grow $DATABASE"
rm "$(host_of "$DELETED")" || e2e_fail "cannot delete $DELETED"
printf 'changed by the user' >>"$(host_of "$EXECUTABLE")" || e2e_fail "cannot change $EXECUTABLE"
printf '[Changed]\r\nBy=user\r\n' >>"$(host_of "$SETUP_FILE")" || e2e_fail "cannot change $SETUP_FILE"
for name in "$DOCUMENT" "$DATABASE" "$EXECUTABLE" "$SETUP_FILE"; do
  ! cmp -s "$E2E_PRODUCT/${name//\\//}" "$(host_of "$name")" || e2e_fail "$name did not change"
done
mkdir -p "$E2E_RUN/user"
cp "$(host_of "$DOCUMENT")" "$E2E_RUN/user/document"
cp "$(host_of "$DATABASE")" "$E2E_RUN/user/database"
e2e_log "changed $DOCUMENT (same size), $DATABASE (grown), $EXECUTABLE and $SETUP_FILE;" \
  "deleted $DELETED"

# ---- the same setup again, silently ----------------------------------------------------------

run_silently "the silent reinstallation" "$LOG_AGAIN"
cmp -s "$E2E_RUN/user/document" "$(host_of "$DOCUMENT")" ||
  e2e_fail "the user's $DOCUMENT was overwritten"
cmp -s "$E2E_RUN/user/database" "$(host_of "$DATABASE")" ||
  e2e_fail "the user's $DATABASE was overwritten"
# Everything else is the payload's again: the deleted file, the executable, Setup.ini.
e2e_expect_installed_files "$host_folder" "$SETUP_WRITTEN" "$DOCUMENT" "$DATABASE"
log=$(e2e_host_path "$LOG_AGAIN")
[[ -f "$log" ]] || e2e_fail "no log at $LOG_AGAIN"
kept=$(tr -d '\r' <"$log" | grep -F "$KEPT_LINE" | LC_ALL=C sort)
e2e_expect_eq "$kept" "$(printf '%s\n' "$KEPT_LINE$folder$DATABASE" "$KEPT_LINE$folder$DOCUMENT" |
  LC_ALL=C sort)" "the log's lines of kept files"
expect_record "after the reinstallation"
e2e_log "reinstalled silently: $DOCUMENT and $DATABASE kept and logged, $DELETED back," \
  "$EXECUTABLE and $SETUP_FILE replaced"

# ---- on screen: the reinstall question, then the message that names the kept document --------

sleep 1
overwrite_start again "$(host_of "$DOCUMENT")"
cp "$(host_of "$DOCUMENT")" "$E2E_RUN/user/document"
e2e_start setup "$E2E_SETUP"
e2e_wait_window "$E2E_CONFIRM_TITLE" 60
e2e_answer "$E2E_CONFIRM_TITLE" "$IDYES"
# Program Manager's group windows of the earlier installations carry the wizard's title too.
e2e_robot wait-window --title "$wizard" --class "$E2E_FORM_CLASS" --timeout 60 >/dev/null ||
  e2e_fail "the wizard did not show after Yes"
e2e_wizard_to_confirmation "$wizard"
e2e_wizard_click "$wizard" --button '下一步 >'
e2e_wait_window "$KEPT_TITLE" 180
texts=$(e2e_texts "$KEPT_TITLE") || e2e_fail "cannot read the box titled '$KEPT_TITLE'"
printf '%s\n' "$texts" | sed "s/^/  [$KEPT_TITLE] /"
awk -F'\t' '$1 == "Static" { print $3 }' <<<"$texts" | grep -qF "$(e2e_robot_escaped "$DOCUMENT")" ||
  e2e_fail "the box titled '$KEPT_TITLE' does not name $DOCUMENT"
e2e_screenshot "$E2E_SHOTS/e2e-$E2E_NAME-kept.png"
e2e_answer "$KEPT_TITLE" "$IDOK"
e2e_wait_finish_page "$wizard" "$setup"
cmp -s "$E2E_RUN/user/document" "$(host_of "$DOCUMENT")" ||
  e2e_fail "the reinstallation on screen overwrote the user's $DOCUMENT"
e2e_wizard_click "$wizard" --button 完毕
e2e_expect_exit "$setup" 60 "the setup after 完毕" 0
expect_record "after the reinstallation on screen"
e2e_pass
