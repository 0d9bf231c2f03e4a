#!/usr/bin/env bash
# The Wine measurements of tools/bench.sh, in one warm Wine session (a display, a prefix and a
# Wine server of their own, as an end-to-end scenario has):
#   wine_session.sh <build-dir> <runs> <product-label>=<product-dir>=<bench.exe>...
#                   [--startup] [--reinstall] [--probe <label>=<setup.exe>]...
#                   [--peer <label>=<installer.exe>]...
# For every product: a warm-up round, then <runs> rounds of the extraction benchmark, Wine's
# `cmd /c xcopy /e /i /q` and native `cp -r` of the product folder, in turn, each into a fresh
# folder of the prefix's drive C: and compared with the product folder byte for byte; for the
# sample product also the benchmark and xcopy (/y) a second time over their own first copy.
# --startup: start-up to the visible wizard against the minimal window program.
# --reinstall: the sample setup.exe installing silently into a fresh folder of drive C:, then
# again into the same folder (every file there replaced), against xcopy into a fresh folder and
# xcopy again over that copy.
# --probe: whether a setup program starts at all, and what its user sees when it does not.
# --peer: the sample setup.exe and every peer installer of the same product folder installing
# silently (`/S /D=<folder>`), in turn in every round, each into a fresh folder of drive C: and
# its manifest's files then compared with the product's byte for byte. An installer whose
# result is wrong is reported and timed no more; the others go on.
# Prints one result per line on standard output:
#   extract <label> <bench|bench-inside|bench-again|bench-again-inside|xcopy|xcopy-again|cp>
#           <round> <seconds>
#   extract install <setup-first|setup-again|xcopy|xcopy-again> <round> <seconds>
#   startup <setup|minimal> <round> <milliseconds>
#   probe <label> <what the user sees>
#   extract peer <setup|label> <round> <seconds>
#   failed peer <setup|label> <what was wrong>
# shellcheck source=../../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../e2e/lib.sh"

build_dir=$1 runs=$2
shift 2
e2e_begin bench "$build_dir" >&2

products=()
startup=no
reinstall=no
probes=()
peers=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --startup) startup=yes ;;
    --reinstall) reinstall=yes ;;
    --probe) probes+=("$2"); shift ;;
    --peer) peers+=("$2"); shift ;;
    *) products+=("$1") ;;
  esac
  shift
done

windows_path() { echo "Z:${1//\//\\}"; }

# Seconds the command took, wall clock; its own output goes to the given file.
timed() {
  local output=$1 start end
  shift
  sync
  start=$EPOCHREALTIME
  "$@" >"$output" 2>&1 || { cat "$output" >&2; return 1; }
  end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }'
}

same_files() {
  diff -r "$1" "$2" >/dev/null || e2e_fail "the copy in $2 differs from $1"
}

# One way of copying the product into C:\bench\<folder>: timed, checked, recorded after the
# warm-up round. Uses the caller's label, product, round and drive_c.
measure_copy() {
  local kind=$1 folder=$2 seconds
  shift 2
  seconds=$(timed "$E2E_RUN/$kind.out" "$@") || e2e_fail "$kind failed on $label"
  same_files "$product" "$drive_c/bench/$folder"
  ((round == 0)) || echo "extract $label $kind $round $seconds"
}

measure_extraction() {
  local label=$1 product=$2 bench=$3 round=$4
  local drive_c="$WINEPREFIX/drive_c"
  rm -rf "$drive_c/bench"
  mkdir -p "$drive_c/bench"
  measure_copy bench extracted "$E2E_WINE" "$bench" 'C:\bench\extracted'
  # The benchmark's own figure: the extraction alone, without starting the process.
  ((round == 0)) ||
    echo "extract $label bench-inside $round $(awk '{ print $(NF - 1) }' "$E2E_RUN/bench.out")"
  measure_copy xcopy xcopied "$E2E_WINE" cmd /c xcopy /e /i /q "$(windows_path "$product")" \
    'C:\bench\xcopied'
  if [[ $label == sample ]]; then
    # Over an existing installation: the same folder again, every file there replaced.
    measure_copy bench-again extracted "$E2E_WINE" "$bench" 'C:\bench\extracted'
    ((round == 0)) || echo "extract $label bench-again-inside $round $(awk '{ print $(NF - 1) }' \
      "$E2E_RUN/bench-again.out")"
    measure_copy xcopy-again xcopied "$E2E_WINE" cmd /c xcopy /e /i /q /y \
      "$(windows_path "$product")" 'C:\bench\xcopied'
  fi
  measure_copy cp copied cp -r "$product" "$drive_c/bench/copied"
  rm -rf "$drive_c/bench"
}

# One silent installation of the sample setup into C:\bench\installed\: timed, checked, recorded
# after the warm-up round. Uses the caller's round and drive_c.
measure_installation() {
  local kind=$1 seconds
  # shellcheck disable=SC1003  # the folder ends in a backslash, meant as written
  seconds=$(timed "$E2E_RUN/$kind.out" "$E2E_WINE" "$E2E_SETUP" /S '/D=C:\bench\installed\') ||
    e2e_fail "the silent installation ($kind) failed"
  e2e_expect_installed_files "$drive_c/bench/installed" Options.ini >&2
  ((round == 0)) || echo "extract install $kind $round $seconds"
}

# The first installation and the same again over it, each against xcopy of the product folder.
measure_reinstallation() {
  local round=$1 label=install product=$E2E_PRODUCT
  local drive_c="$WINEPREFIX/drive_c"
  rm -rf "$drive_c/bench"
  mkdir -p "$drive_c/bench"
  measure_installation setup-first
  measure_installation setup-again
  measure_copy xcopy xcopied "$E2E_WINE" cmd /c xcopy /e /i /q "$(windows_path "$product")" \
    'C:\bench\xcopied'
  measure_copy xcopy-again xcopied "$E2E_WINE" cmd /c xcopy /e /i /q /y \
    "$(windows_path "$product")" 'C:\bench\xcopied'
  rm -rf "$drive_c/bench"
}

# Says which file of the manifest the folder does not hold as the product does; quiet when it
# holds them all. Usage: differs_from_product FOLDER [SKIPPED...]
differs_from_product() {
  local folder=$1 path
  shift
  while IFS=' ' read -r _ _ path; do
    path=${path%$'\r'}
    [[ -n "$path" && " $* " != *" $path "* ]] || continue
    path=${path//\\//}
    local source="$E2E_PRODUCT/$path"
    # A product folder without an Uninstall.exe of its own gets the kit's.
    [[ -f "$source" || "$path" != Uninstall.exe ]] || source="$E2E_KIT/Uninstall.exe"
    cmp -s "$source" "$folder/$path" || { echo "$path differs or is missing"; return; }
  done < <(iconv -f CP936 -t UTF-8 "$E2E_PRODUCT/Setup.log")
}

# The sample setup and the peer installers, each installing silently in turn, round by round.
# Our setup writes Options.ini's settings as it finishes, so that file is not compared for it.
measure_peers() {
  local drive_c="$WINEPREFIX/drive_c" round entry label installer seconds wrong
  local -A failed=()
  local entries=("setup=$E2E_SETUP" "${peers[@]}")
  for ((round = 0; round <= runs; round++)); do
    for entry in "${entries[@]}"; do
      IFS='=' read -r label installer <<<"$entry"
      [[ -z "${failed[$label]:-}" ]] || continue
      rm -rf "$drive_c/bench"
      mkdir -p "$drive_c/bench"
      # shellcheck disable=SC1003  # C:\bench\ then the label
      if ! seconds=$(timed "$E2E_RUN/peer-$label.out" "$E2E_WINE" "$installer" /S \
        '/D=C:\bench\'"$label"); then
        wrong="the silent installation ended with an error"
      elif [[ $label == setup ]]; then
        wrong=$(differs_from_product "$drive_c/bench/$label" Options.ini)
      else
        wrong=$(differs_from_product "$drive_c/bench/$label")
      fi
      if [[ -n "$wrong" ]]; then
        failed[$label]=yes
        echo "failed peer $label $wrong"
      elif ((round > 0)); then
        echo "extract peer $label $round $seconds"
      fi
    done
  done
  rm -rf "$drive_c/bench"
}

for entry in "${products[@]}"; do
  IFS='=' read -r label product bench <<<"$entry"
  e2e_log "extraction of $label" >&2
  for ((round = 0; round <= runs; round++)); do
    measure_extraction "$label" "$product" "$bench" "$round"
  done
done

if [[ $reinstall == yes ]]; then
  e2e_log "silent installation of the sample, first and over it" >&2
  for ((round = 0; round <= runs; round++)); do
    measure_reinstallation "$round"
  done
fi

if ((${#peers[@]} > 0)); then
  e2e_log "silent installation of the sample by our setup and by the peer installers" >&2
  measure_peers
fi

if [[ $startup == yes ]]; then
  e2e_log "start-up to the visible wizard" >&2
  "$E2E_WINE" "$build_dir/bench/startup_bench.exe" "$runs" \
    "$(windows_path "$E2E_SETUP")" "$E2E_FORM_CLASS" "$(e2e_wizard_title)" \
    "$(windows_path "$build_dir/bench/minimal_window.exe")" KorvMinimal Minimal \
    >"$E2E_RUN/startup.out" 2>&1 || e2e_fail "start-up benchmark: $(tail -1 "$E2E_RUN/startup.out")"
  awk '$1 == "sample" { print "startup", ($2 == 0 ? "setup" : "minimal"), NR, $3 }' \
    "$E2E_RUN/startup.out"
fi

for entry in "${probes[@]}"; do
  IFS='=' read -r label setup <<<"$entry"
  e2e_log "does the setup with $label of payload start?" >&2
  if "$E2E_WINE" "$build_dir/bench/startup_bench.exe" 0 "$(windows_path "$setup")" \
    "$E2E_FORM_CLASS" "$(e2e_wizard_title)" >"$E2E_RUN/probe.out" 2>&1; then
    echo "probe $label starts, the wizard shows after $(awk '{ printf "%.0f", $3 }' \
      "$E2E_RUN/probe.out") ms"
  else
    echo "probe $label $(sed -n 's/^failed [0-9]* //p' "$E2E_RUN/probe.out" | head -1)"
  fi
done
e2e_pass >&2
