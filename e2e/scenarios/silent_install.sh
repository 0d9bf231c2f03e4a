#!/usr/bin/env bash
# Unattended installation. `setup.exe /S /LOG=C:\setup.log /D=E:\Apps\Korv Test` (the folder as
# the rest of the line, with its space) installs without any window of the setup ever appearing
# and exits 0: every file of the manifest byte for byte in the folder, the registry values of an
# interactive installation, the shortcut, Options.ini Reset=88, the product not started, and a
# UTF-8 log that names the folder, the files and the values. With the sample Korvello running,
# `/S` exits 3 and leaves it running, installing nothing; `/S /X` exits 1 showing nothing; `/X`
# without /S shows the usage box.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin silent_install "$@"

target=$(e2e_setup_value Run FileName)
serial=$(e2e_setup_value Form Serial)
e2e_map_drives e "$E2E_RUN/drive-e"
folder='E:\Apps\Korv Test\'
host_folder="$E2E_RUN/drive-e/Apps/Korv Test"

# The setup's own windows (its forms, dialogs and message boxes) that are on screen now; fails
# when the robot cannot list the windows.
setup_windows() {
  e2e_robot list | awk -F'\t' '$3 == "visible" && ($4 ~ /^Korv/ || $4 == "#32770") { print }'
}

# Runs the setup to its end, failing when any of its windows shows meanwhile; sets E2E_EXIT_CODE.
run_unseen() {
  local what=$1 seen
  shift
  e2e_start setup "$E2E_SETUP" "$@"
  local deadline=$((SECONDS + 240))
  while e2e_is_running "$setup"; do
    seen=$(setup_windows) || e2e_fail "the robot cannot list the windows while $what runs"
    [[ -z "$seen" ]] || e2e_fail "$what showed a window: $seen"
    ((SECONDS < deadline)) || e2e_fail "$what did not end within 240 s"
    sleep 0.2
  done
  wait "$setup"
  E2E_EXIT_CODE=$?
}

# A window of the product's class, shown or hidden, watched for from before the silent
# installation starts until after its results are checked: the product started at its end would
# show its window only a moment after the setup has ended.
"$E2E_WINE" "$E2E_ROBOT" wait-window --class "$E2E_PRODUCT_CLASS" --hidden --timeout 600 \
  >"$E2E_RUN/product-watch.out" 2>&1 &
product_watcher=$!
E2E_BACKGROUND_PIDS+=("$product_watcher")

# ---- a silent installation ------------------------------------------------------------------

run_unseen "the silent installation" /S '/LOG=C:\setup.log' '/D=E:\Apps\Korv' Test
ended=$SECONDS
e2e_expect_eq "$E2E_EXIT_CODE" 0 "exit code of the silent installation"
e2e_expect_no_staged_files
e2e_expect_installed_files "$host_folder" Options.ini
grep -qx 'Reset=88' < <(tr -d '\r' <"$host_folder/Options.ini") ||
  e2e_fail "Options.ini lacks Reset=88"
path="$folder$target"
e2e_expect_registry_value 'HKCU\Software\KORVL\Shell\PathName' Path "$folder"
e2e_expect_registry_value 'HKCU\Software\KORVL\Shell\Serial' Serial "$serial"
e2e_expect_registry_value 'HKCU\software\microsoft\windows\currentversion\uninstall\Korvello' \
  uninstallstring "\"$E2E_PROTECTED_UNINSTALLER\""
e2e_expect_registry_value 'HKCR\Software\KORVL\Shell\Open\Command' @ "\"$path\" \"%1\""
link="C:\\users\\Public\\Desktop$(e2e_setup_value Form desKtopLink)"
e2e_read_link "$link" >/dev/null || e2e_fail "no desktop shortcut $link"
log="$WINEPREFIX/drive_c/setup.log"
[[ -f "$log" ]] || e2e_fail "no log at C:\\setup.log"
iconv -f UTF-8 -t UTF-8 "$log" >/dev/null || e2e_fail "the log is not UTF-8"
for line in "install folder $folder" "file ${path} ($(stat -c %s "$E2E_PRODUCT/$target") bytes)" \
  "registry HKEY_CURRENT_USER\\Software\\KORVL\\Shell\\PathName: Path = $folder" installed; do
  grep -qxF "$line" < <(tr -d '\r' <"$log") || e2e_fail "the log lacks the line: $line"
done
# Watched for at least 10 s after the setup ended, then the watch ends.
((SECONDS >= ended + 10)) || sleep $((ended + 10 - SECONDS))
if e2e_is_running "$product_watcher"; then
  kill "$product_watcher"
  wait "$product_watcher" 2>/dev/null
  # It prints the window's handle when it finds one, which may be just before it was ended.
  ! grep -q '^0x' "$E2E_RUN/product-watch.out" ||
    e2e_fail "the silent installation started the product: $(cat "$E2E_RUN/product-watch.out")"
else
  wait "$product_watcher"
  if e2e_robot_found $? "the product's window"; then
    e2e_fail "the silent installation started the product: $(cat "$E2E_RUN/product-watch.out")"
  fi
fi
e2e_log "installed silently into $folder: files, registry values, shortcut and log checked;" \
  "no window of the product appeared"

# ---- the product running: exit code 3, the product still runs -------------------------------

e2e_start_product product
run_unseen "the silent run beside a running Korvello" /S
e2e_expect_eq "$E2E_EXIT_CODE" 3 "exit code with the product running"
e2e_is_running "$product" || e2e_fail "the silent run ended the running Korvello"
e2e_robot exists --title "$E2E_PRODUCT_TITLE" --class "$E2E_PRODUCT_CLASS" >/dev/null ||
  e2e_fail "the product's window is gone"
e2e_robot close --title "$E2E_PRODUCT_TITLE" >/dev/null
e2e_wait_exit "$product" 30 "the sample product"
e2e_log "with Korvello running: exit code 3, Korvello left running"

# ---- usage errors ----------------------------------------------------------------------------

run_unseen "a silent run with an unknown switch" /S /X
e2e_expect_eq "$E2E_EXIT_CODE" 1 "exit code of /S /X"
e2e_start setup "$E2E_SETUP" /X
e2e_wait_window korvlSetup 30
e2e_texts korvlSetup | grep -qF '/LOG=' || e2e_fail "the usage box does not list the switches"
e2e_answer korvlSetup "$IDOK"
e2e_expect_exit "$setup" 30 "the setup with /X" 1
e2e_expect_no_staged_files
e2e_pass
