#!/usr/bin/env bash
# The Wine measurements of tools/bench.sh, in one warm Wine session (a display, a prefix and a
# Wine server of their own, as an end-to-end scenario has):
#   wine_session.sh <build-dir> <runs> <product-label>=<product-dir>=<bench.exe>...
#                   [--startup] [--probe <label>=<setup.exe>]...
# For every product: a warm-up round, then <runs> rounds of the extraction benchmark, Wine's
# `cmd /c xcopy /e /i /q` and native `cp -r` of the product folder, in turn, each into a fresh
# folder of the prefix's drive C: and compared with the product folder byte for byte.
# --startup: start-up to the visible wizard against the minimal window program.
# --probe: whether a setup program starts at all, and what its user sees when it does not.
# Prints one result per line on standard output:
#   extract <label> <bench|bench-inside|xcopy|cp> <round> <seconds>
#   startup <setup|minimal> <round> <milliseconds>
#   probe <label> <what the user sees>
# shellcheck source=../../e2e/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../e2e/lib.sh"

build_dir=$1 runs=$2
shift 2
e2e_begin bench "$build_dir" >&2

products=()
startup=no
probes=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --startup) startup=yes ;;
    --probe) probes+=("$2"); shift ;;
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
  measure_copy cp copied cp -r "$product" "$drive_c/bench/copied"
  rm -rf "$drive_c/bench"
}

for entry in "${products[@]}"; do
  IFS='=' read -r label product bench <<<"$entry"
  e2e_log "extraction of $label" >&2
  for ((round = 0; round <= runs; round++)); do
    measure_extraction "$label" "$product" "$bench" "$round"
  done
done

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
