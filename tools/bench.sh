#!/usr/bin/env bash
# Prints what the setup program costs: the size of the setup program and of the sample setup,
# and the peak private memory of the setup process during a whole installation under Wine.
#   tools/bench.sh            (after tools/test.sh, or it builds what it needs)
# The figures of record are the 32-bit product's; where 32-bit Wine cannot run on this machine
# the 64-bit twin is measured and the table says so. Benchmarks print figures; they never fail
# on a slow machine. Still to come: extraction speed against Wine's xcopy and cp, start-up to
# the visible wizard, and how extraction grows with the work.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build_root="$(realpath -m "${KORV_BUILD_ROOT:-$root/build}")"

if /usr/lib/wine/wine --version >/dev/null 2>&1 && /usr/lib/wine/wine cmd /c exit 0 >/dev/null 2>&1; then
  build=win
  objdump_prefix=i686-w64-mingw32
  measured="32-bit product"
else
  build=win64
  objdump_prefix=x86_64-w64-mingw32
  measured="64-bit twin (32-bit Wine cannot run here)"
fi
dir="$build_root/$build"
[ -f "$dir/setup.exe" ] || tools/build.sh "$build"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# ---- size --------------------------------------------------------------------------------------

# The smallest product the setup can carry: only the entries the program opens by name, tiny.
stub_product="$work/stub-product"
mkdir -p "$stub_product"
printf 'MZ' >"$stub_product/KORV.exe"
printf 'MZ' >"$stub_product/Uninstall.exe"
printf 'x\r\n' >"$stub_product/Licence.txt"
cp "$root/product/files/Setup.ini" "$stub_product/Setup.ini"
printf '%s\r\n' 'FileExe exename KORV.exe' 'uninstall exename Uninstall.exe' \
  'FileTxt4 txtname Licence.txt' 'FileTxt5 txtname Setup.log' >"$stub_product/Setup.log"
printf 'FileTxt7 txtname Setup.ini' >>"$stub_product/Setup.log"
KORV_PACKKIT="$dir/packkit" tools/pack.sh "$stub_product" "$work/stub.exe" >/dev/null
stripped() {
  cp "$1" "$work/stripped.exe"
  "$objdump_prefix-strip" "$work/stripped.exe"
  stat -c %s "$work/stripped.exe"
}
stub_bytes=$(stripped "$work/stub.exe")
sample_bytes=$(stat -c %s "$dir/setup.exe")
sample_stripped=$(stripped "$dir/setup.exe")
payload_bytes=$(find "$dir/product" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')

# ---- memory during a whole installation ------------------------------------------------------

# Samples RssAnon of every setup.exe process every 20 ms while the whole-installation scenario
# drives the sample setup; prints the peak in kB.
peak_memory() {
  local scenario_pid peak=0 pid value
  E2E_SCENARIO_NAME=bench_memory bash "$root/e2e/scenarios/full_install.sh" "$dir" \
    >"$work/memory.log" 2>&1 &
  scenario_pid=$!
  while kill -0 "$scenario_pid" 2>/dev/null; do
    for pid in $(pgrep -f 'setup\.exe' || true); do
      value=$(awk '$1 == "RssAnon:" { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
      [ -n "$value" ] && [ "$value" -gt "$peak" ] && peak=$value
    done
    sleep 0.02
  done
  if ! wait "$scenario_pid"; then
    echo "bench: the installation under Wine did not pass (see below); no memory figure" >&2
    tail -5 "$work/memory.log" >&2
    echo "-"
    return
  fi
  echo "$peak"
}
peak_kb=$(peak_memory)

# ---- the table ---------------------------------------------------------------------------------

echo
echo "Korvello setup benchmarks ($measured, $(date -u +%Y-%m-%d))"
printf '%-46s %16s %14s\n' "what" "figure" "goal"
printf '%-46s %16s %14s\n' "setup program (empty product), stripped" "$stub_bytes B" "<= 204800 B"
printf '%-46s %16s %14s\n' "sample setup.exe" "$sample_bytes B" "-"
printf '%-46s %16s %14s\n' "sample setup.exe, stripped" "$sample_stripped B" "-"
printf '%-46s %16s %14s\n' "sample payload (product files)" "$payload_bytes B" "-"
printf '%-46s %16s %14s\n' "peak private memory (RssAnon), installation" "$peak_kb kB" "<= 16384 kB"
echo "extraction, start-up and scale: not measured yet"
