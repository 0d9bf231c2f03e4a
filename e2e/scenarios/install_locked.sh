#!/usr/bin/env bash
# An installation over a KORV.exe that another program holds open without sharing: the wizard
# is walked with Next into the proposed folder on D:, and Next on the confirmation page starts
# the run, which cannot write the main executable. The setup says so in the toolkit's plain
# message (titled with the application's title, one OK button) and ends with exit code 0 after
# OK: the staged files are gone, the held KORV.exe is unchanged, no other file of the product
# was installed and the registry has no uninstall entry. The program holding the file is not
# named KORV.exe, so the setup does not take it for the running product and asks nothing at
# start-up.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin install_locked "$@"

readonly APPLICATION_TITLE=korvlSetup
readonly LOCKED_TEXT='所要安装的程序正在运行中,请退出后再安装!'

wizard=$(e2e_wizard_title)
e2e_use_proposed_folder
mkdir -p "$host_folder" || e2e_fail "cannot make $host_folder"
cp "$E2E_PRODUCT/$target" "$host_folder/$target" || e2e_fail "cannot put $target into $host_folder"

# ---- the executable held open --------------------------------------------------------------

# The holder is the robot: a process named like the product would make the setup ask about the
# running product instead.
holder_name=$(basename "$E2E_ROBOT")
[[ "${holder_name,,}" != "${target,,}" ]] || e2e_fail "the holder $holder_name is named like the product"
"$E2E_WINE" "$E2E_ROBOT" hold "$folder$target" >"$E2E_RUN/hold.log" 2>&1 &
holder=$!
E2E_BACKGROUND_PIDS+=("$holder")
deadline=$((SECONDS + 30))
until grep -q '^holding' "$E2E_RUN/hold.log" 2>/dev/null; do
  e2e_is_running "$holder" || e2e_fail "the robot could not hold $folder$target: $(cat "$E2E_RUN/hold.log")"
  ((SECONDS < deadline)) || e2e_fail "the robot did not say it holds $folder$target"
  sleep 0.2
done
e2e_log "$holder_name holds $folder$target open without sharing"

# ---- the wizard to the confirmation page ---------------------------------------------------

e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"
# The running-product question comes before the wizard; none may have come.
e2e_expect_no_window "the setup took the holder for the running product" --title "$E2E_NOTICE_TITLE"
e2e_wizard_to_confirmation "$wizard"
e2e_wizard_click "$wizard" --button '下一步 >'

# ---- the run cannot write the executable ---------------------------------------------------

e2e_wait_window "$APPLICATION_TITLE" 60
e2e_expect_message_box "$APPLICATION_TITLE" "$LOCKED_TEXT" "$IDOK"
e2e_screenshot "$E2E_SHOTS/e2e-$E2E_NAME-message.png"
e2e_answer "$APPLICATION_TITLE" "$IDOK"
e2e_expect_exit "$setup" 60 "the setup" 0
e2e_expect_no_staged_files

# ---- nothing was installed -----------------------------------------------------------------

e2e_is_running "$holder" || e2e_fail "the holder ended before the setup did"
cmp -s "$E2E_PRODUCT/$target" "$host_folder/$target" ||
  e2e_fail "the held $host_folder/$target was changed"
left=$(cd "$drive_d" && find . -mindepth 1 | LC_ALL=C sort)
e2e_expect_eq "$left" "$(printf '%s\n' './Program Files' "./Program Files/$dir_name" \
  "./Program Files/$dir_name/$target")" "what drive D: holds after the setup"
uninstall='HKCU\software\microsoft\windows\currentversion\uninstall\Korvello'
# The registry is read back at all: a value every prefix of these runs has.
e2e_registry_value 'HKCU\Software\Wine\Fonts\Replacements' SimSun >/dev/null ||
  e2e_fail "cannot read the registry back"
! e2e_registry_value "$uninstall" DisplayName >/dev/null ||
  e2e_fail "the registry has an uninstall entry $uninstall"
e2e_log "nothing installed: only the held $target on D:, no uninstall entry"
e2e_pass
