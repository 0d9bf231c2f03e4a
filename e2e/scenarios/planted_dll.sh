#!/usr/bin/env bash
# The setup runs elevated from a downloads folder: a DLL lying beside setup.exe under the name of
# a system DLL must never be loaded. The folder holds setup.exe and the build's planted DLL (it
# writes "<its path>.loaded" when a process loads it) as uxtheme.dll: not among the system's
# known DLLs, and loaded by name by the common controls as they start, so the setup is safe only
# when its DLL search is narrowed to the system folder before the common controls are loaded.
# Wine would prefer its own builtin DLLs and never look at the folder, so the run tells it to
# take a native DLL first, wherever the search finds one: only the setup's own narrowing of the
# search keeps the planted DLL out. The setup shows its wizard and is closed through the close
# box; no marker may exist, and Wine's load trace must show that the DLL was loaded, from the
# system folder.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin planted_dll "$@"

readonly PLANTED_NAMES=(uxtheme.dll)
planted="$E2E_WORK/planted.dll"
[[ -f "$planted" ]] || e2e_fail "the planted DLL $planted is not built"

downloads="$E2E_RUN/Downloads"
mkdir -p "$downloads" || e2e_fail "cannot make $downloads"
cp "$E2E_SETUP" "$downloads/setup.exe" || e2e_fail "cannot copy setup.exe to $downloads"
overrides=''
for name in "${PLANTED_NAMES[@]}"; do
  cp "$planted" "$downloads/$name" || e2e_fail "cannot plant $name in $downloads"
  overrides+=";${name%.dll}=n,b"
done
e2e_log "planted ${PLANTED_NAMES[*]} beside setup.exe in $downloads"

# Fails when any planted DLL was loaded, naming the processes that loaded it.
expect_no_marker() {
  local name marker
  for name in "${PLANTED_NAMES[@]}"; do
    marker="$downloads/$name.loaded"
    [[ -e "$marker" ]] || continue
    e2e_fail "the planted $name was loaded by: $(iconv -f UTF-16LE -t UTF-8 "$marker" |
      tr -d '\r' | sort -u | paste -sd' ')"
  done
}

# Only the setup runs with the native-first overrides and the load trace; the robot runs as
# every other scenario runs it.
wizard=$(e2e_wizard_title)
WINEDLLOVERRIDES="$WINEDLLOVERRIDES$overrides" WINEDEBUG=+loaddll \
  e2e_start setup "$downloads/setup.exe"

# A planted DLL that got in may keep the wizard from ever showing: look for markers while
# waiting, so such a run fails for what it is.
deadline=$((SECONDS + 60))
until e2e_robot exists --title "$wizard" >/dev/null 2>&1; do
  expect_no_marker
  e2e_is_running "$setup" || e2e_fail "the setup ended before its wizard showed"
  ((SECONDS < deadline)) || e2e_fail "no window titled '$wizard' appeared within 60 s"
  sleep 0.5
done
e2e_wait_wizard "$wizard"
expect_no_marker
e2e_close_setup "$setup" "$wizard"
expect_no_marker
e2e_log "no planted DLL was loaded"

# The check means something only if the setup did ask for these DLLs: each must appear in the
# setup process's load trace, loaded from the system folder.
logs=("$E2E_RUN"/setup.exe.*.log)
[[ -f "${logs[0]}" ]] || e2e_fail "the setup's output log is missing"
trace=$(tr -d '\r' <"${logs[0]}")
setup_process=$(grep -m1 -iE 'loaddll:.*Loaded L".*\\\\setup\.exe"' <<<"$trace" | cut -d: -f1)
[[ -n "$setup_process" ]] || e2e_fail "the load trace does not show setup.exe: $(head -3 <<<"$trace")"
for name in "${PLANTED_NAMES[@]}"; do
  loaded=$(grep -iF "$setup_process:trace:loaddll:" <<<"$trace" | grep -iF "\\\\$name\"")
  [[ -n "$loaded" ]] || e2e_fail "the setup never loaded $name, so planting it proves nothing"
  # The trace doubles the backslashes of a path.
  system_copy=$(printf 'L"C:\\\\windows\\\\system32\\\\%s"' "$name")
  grep -qiF "$system_copy" <<<"$loaded" ||
    e2e_fail "the setup loaded $name from elsewhere than the system folder: $loaded"
  e2e_log "the setup loaded $name from the system folder"
done
e2e_pass
