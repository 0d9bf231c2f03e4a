#!/usr/bin/env bash
# A setup killed during its run, then a setup started again. A silent setup into D:\KillMe\ is
# killed hard (SIGKILL to its Wine process) once some, not all, of the product's files are
# there; the journal of its run is left in its fixed place. A second silent setup, into
# D:\Other\, first rolls the unfinished run back: it exits 0, D:\KillMe\ is gone entirely,
# D:\Other\ holds the whole installation, its log says what it recovered and the journal is gone.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
# shellcheck disable=SC1003  # folders ending in a backslash, meant as written
source "$(dirname "$0")/../lib.sh"
e2e_begin killed_install "$@"

readonly KILLED_FOLDER='D:\KillMe\'
readonly OTHER_FOLDER='D:\Other\'
readonly KILLED_LOG='C:\killed.log'
readonly AGAIN_LOG='C:\after-kill.log'
# The second setup's log line for the run it rolled back starts so.
readonly RECOVERY_LINE='recovery: '
# The setup is killed once this many files are in its folder.
readonly KILL_AT_FILES=3
readonly APPLICATION_CLASS=KorvApplication

drive_d=$E2E_RUN/drive-d
e2e_map_drives d "$drive_d"
killed_host=$(e2e_host_path "$KILLED_FOLDER")
other_host=$(e2e_host_path "$OTHER_FOLDER")
total=$(iconv -f CP936 -t UTF-8 "$E2E_PRODUCT/Setup.log" | grep -c '[^[:space:]]')

written() { find "$killed_host" -type f 2>/dev/null | wc -l; }

# The setup's hidden application window, which a silent setup has too: the Wine server forgets
# it with the process.
application_windows() {
  e2e_robot list | awk -F'\t' -v class="$APPLICATION_CLASS" '$4 == class'
}

# ---- the run killed ----------------------------------------------------------------------------

e2e_start setup "$E2E_SETUP" /S "/LOG=$KILLED_LOG" "/D=$KILLED_FOLDER"
deadline=$((SECONDS + 120))
until (($(written) >= KILL_AT_FILES)); do
  e2e_is_running "$setup" || e2e_fail "the setup ended before it was killed ($(written) files)"
  ((SECONDS < deadline)) || e2e_fail "the setup wrote no $KILL_AT_FILES files in 120 s"
  sleep 0.05
done
[[ -n "$(application_windows)" ]] || e2e_fail "the running setup has no $APPLICATION_CLASS window"
kill -KILL "$setup" || e2e_fail "cannot kill the setup"
wait "$setup" 2>/dev/null
at_kill=$(written)
((at_kill < total)) ||
  e2e_fail "the setup had written all $total files when it was killed: nothing to roll back"
e2e_log "killed the setup with $at_kill of $total files written into $KILLED_FOLDER"
# The Wine server forgets the killed process: its windows go with it.
e2e_expect_eventually "the killed setup's windows" '' application_windows
[[ -f "$(e2e_host_path "$E2E_JOURNAL")" ]] ||
  e2e_fail "the killed run left no journal at $E2E_JOURNAL"
e2e_log "the journal $E2E_JOURNAL is there"
stale_staging=$(e2e_staging_folders)

# ---- the next setup rolls it back, then installs ------------------------------------------------

e2e_start setup "$E2E_SETUP" /S "/LOG=$AGAIN_LOG" "/D=$OTHER_FOLDER"
e2e_expect_exit "$setup" 240 "the setup after the killed one" 0
[[ ! -e "$killed_host" ]] || {
  (cd "$drive_d" && find KillMe | sed 's/^/  /')
  e2e_fail "the killed run's folder $KILLED_FOLDER is left"
}
e2e_expect_eq "$(cd "$drive_d" && find . -mindepth 1 -maxdepth 1 | LC_ALL=C sort)" ./Other \
  "what the root of drive D: holds"
e2e_expect_installed_files "$other_host" Options.ini
e2e_expect_registry_value 'HKCU\Software\KORVL\Shell\PathName' Path "$OTHER_FOLDER"
log=$(e2e_host_path "$AGAIN_LOG")
[[ -f "$log" ]] || e2e_fail "no log at $AGAIN_LOG"
recovery=$(tr -d '\r' <"$log" | grep -F "$RECOVERY_LINE") ||
  e2e_fail "the log $AGAIN_LOG has no line starting '$RECOVERY_LINE'"
[[ "$recovery" == "$RECOVERY_LINE"* ]] ||
  e2e_fail "the recovery line does not start with '$RECOVERY_LINE': $recovery"
e2e_log "the log says: $recovery"
e2e_expect_no_journal
# The killed setup could not remove its staging folder; the second one removed its own.
e2e_expect_eq "$(e2e_staging_folders)" "$stale_staging" "the staging folders after the second setup"
e2e_pass
