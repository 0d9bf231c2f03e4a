#!/usr/bin/env bash
# Prints what the setup program costs, in one table: extraction speed under Wine against Wine's
# own xcopy and cp, a silent installation and the same again over it against xcopy, extraction
# in the host build against cp, start-up to the visible wizard
# against a minimal window program, the size of the setup program, how extraction grows with the
# work and the largest payload the setup starts with, and the peak private memory of the setup
# during a whole installation; and side by side with NSIS, the size of the sample setup and of
# two NSIS installers of the same product folder (deflate, solid LZMA) and their silent
# installations under Wine.
#   tools/bench.sh            (after tools/test.sh, or it builds what it needs)
#   tools/bench.sh peer       only the rows side by side with NSIS
#   KORV_BENCH_RUNS=N         runs per figure after the warm-up (default 5)
# The figures of record are the 32-bit product's; where 32-bit Wine cannot run on this machine
# the 64-bit twin is measured and the table says so. Benchmarks print figures; they never fail
# on a slow machine. Run it on a quiet machine: every figure is wall-clock time.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
build_root="$(realpath -m "${KORV_BUILD_ROOT:-$root/build}")"
runs=${KORV_BENCH_RUNS:-5}
case ${1:-all} in
  all | peer) rows=${1:-all} ;;
  *)
    echo "usage: tools/bench.sh [peer]" >&2
    exit 2
    ;;
esac

if /usr/lib/wine/wine --version >/dev/null 2>&1 && /usr/lib/wine/wine cmd /c exit 0 >/dev/null 2>&1; then
  build=win
  strip_tool=i686-w64-mingw32-strip
  measured="32-bit product"
else
  build=win64
  strip_tool=x86_64-w64-mingw32-strip
  measured="64-bit twin; 32-bit Wine cannot run here"
fi
dir="$build_root/$build"
host="$build_root/host"
# Always brought up to date (quick when it is): a stale build would measure old code around a
# payload the current packer made.
tools/build.sh "$build"
[ "$rows" = peer ] || tools/build.sh host
# The peer installers are made with Debian's nsis, which only the benchmark needs.
command -v makensis >/dev/null || tools/deps.sh --bench

work="$(mktemp -d "$build_root/bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
results="$work/results"
: >"$results"
setup_ini="$root/product/files/Setup.ini"
make_product() { python3 "$root/tools/bench/make_product.py" "$@"; }
pack() { KORV_PACKKIT="$1" tools/pack.sh "$2" "$3" >/dev/null; }
payload_of() { find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }'; }
progress() { echo "bench: $*" >&2; }

# ---- side by side with NSIS -----------------------------------------------------------------

# The figures of the sample setup beside two NSIS installers of its product folder: their sizes,
# then their silent installations alternated in one Wine session. The NSIS scripts and installers
# are made in a folder of the benchmark's own in the build.
peer_rows() {
  local peer_dir="$dir/bench-nsis" compressor installer peers=()
  progress "NSIS installers of the sample product (deflate, solid LZMA)"
  rm -rf "$peer_dir"
  mkdir -p "$peer_dir"
  echo "size sample $(stat -c %s "$dir/setup.exe")" >>"$results"
  for compressor in deflate lzma; do
    installer="$peer_dir/nsis-$compressor.exe"
    python3 "$root/tools/bench/nsis_script.py" "$dir/product" "$peer_dir/$compressor.nsi" \
      "$installer" "$compressor" "$dir/packkit"
    makensis -V2 "$peer_dir/$compressor.nsi" >"$peer_dir/$compressor.log" 2>&1 || {
      echo "bench: makensis failed on $peer_dir/$compressor.nsi:" >&2
      tail -5 "$peer_dir/$compressor.log" >&2
      exit 1
    }
    echo "size nsis-$compressor $(stat -c %s "$installer")" >>"$results"
    peers+=(--peer "nsis-$compressor=$installer")
  done
  echo "note NSIS installers made by makensis $(makensis -VERSION)" >>"$results"
  progress "silent installation by our setup and by NSIS's, alternated ($runs runs after a warm-up)"
  if ! bash "$root/tools/bench/wine_session.sh" "$dir" "$runs" "${peers[@]}" >>"$results"; then
    echo "bench: the installations side by side with NSIS stopped:" >&2
    grep -A20 '^FAIL' "$results" >&2 || true
    exit 1
  fi
}

if [ "$rows" = peer ]; then
  peer_rows
  python3 "$root/tools/bench/table.py" "$results" \
    "Korvello setup beside NSIS ($measured; $(date -u '+%Y-%m-%d %H:%M UTC'), $runs runs each)" \
    --peer-only
  exit 0
fi

# ---- size ----------------------------------------------------------------------------------

progress "sizes"
# The smallest product the setup can carry: only the entries the program opens by name, tiny.
make_product "$work/stub-product" "$setup_ini"
pack "$dir/packkit" "$work/stub-product" "$work/stub.exe"
cp "$work/stub.exe" "$work/stripped.exe"
"$strip_tool" "$work/stripped.exe"
{
  echo "size stub $(stat -c %s "$work/stripped.exe")"
  echo "size payload $(payload_of "$dir/product")"
} >>"$results"

# ---- extraction and start-up under Wine ------------------------------------------------------

progress "packing the extraction benchmark around three products"
make_product "$work/files1000" "$setup_ini" 1000 4096
make_product "$work/big512" "$setup_ini" 1 $((512 << 20))
# Each product folder as an installation holds it: where the folder brings no Uninstall.exe of
# its own, the setup carries the kit's, so the copies it is measured against carry it too.
cp -r "$dir/product" "$work/sample"
[ -f "$work/sample/Uninstall.exe" ] || cp "$dir/product-build/Uninstall.exe" "$work/sample/"
products=()
for entry in "sample=$work/sample" "files1000=$work/files1000" "big512=$work/big512"; do
  label=${entry%%=*}
  pack "$dir/benchkit" "${entry#*=}" "$work/bench-$label.exe"
  products+=("$entry=$work/bench-$label.exe")
done

# The largest payload: setups of 1,000, 1,500 and 1,900 MiB (100 MiB entries of one content),
# written even over the packer's limit to see what their user would meet; beside that, whether
# the packer writes such a setup at all.
packer_verdict() {
  python3 - "$root/tools/pack" "$1" "$2" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
import packer
try:
    packer.check_payload_size(packer.read_manifest(sys.argv[3]), packer.read_kit(sys.argv[2]))
    print("the packer writes it")
except packer.PackError as error:
    print(f"the packer refuses it: {error}")
PY
}
probes=()
for count in 10 15 19; do
  label="${count}00MiB"
  make_product "$work/payload-$count" "$setup_ini" "$count" $((100 << 20)) --one-content
  echo "probe $label $(packer_verdict "$dir/packkit" "$work/payload-$count")" >>"$results"
  if python3 "$root/tools/pack/packer.py" --kit "$dir/packkit" --no-payload-limit \
    "$work/payload-$count" "$work/setup-$count.exe" >"$work/pack-$count.log" 2>&1; then
    probes+=(--probe "$label=$work/setup-$count.exe")
  else
    echo "probe $label cannot be linked: $(tail -1 "$work/pack-$count.log")" >>"$results"
  fi
  rm -rf "$work/payload-$count"
done

progress "extraction, start-up and payload size under Wine ($runs runs after a warm-up)"
if ! bash "$root/tools/bench/wine_session.sh" "$dir" "$runs" "${products[@]}" --startup --reinstall \
  "${probes[@]}" >>"$results"; then
  echo "bench: the measurements under Wine stopped:" >&2
  grep -A20 '^FAIL' "$results" >&2 || true
  exit 1
fi
rm -f "$work"/setup-*.exe

# ---- extraction in the host build ------------------------------------------------------------

progress "extraction in the host build"
for ((round = 0; round <= runs; round++)); do
  rm -rf "$work/host-machine" "$work/host-copy"
  sync
  inside=$("$host/bench/korv_extraction_bench_host" "$work/sample" "$work/host-machine" |
    awk '{ print $(NF - 1) }')
  diff -r "$work/sample" "$work/host-machine/C/Korvello" >/dev/null
  sync
  start=$EPOCHREALTIME
  cp -r "$work/sample" "$work/host-copy"
  end=$EPOCHREALTIME
  diff -r "$work/sample" "$work/host-copy" >/dev/null
  if ((round > 0)); then
    echo "extract host bench-inside $round $inside"
    awk -v a="$start" -v b="$end" -v r="$round" 'BEGIN { printf "extract host cp %d %.6f\n", r, b - a }'
  fi
done >>"$results"
rm -rf "$work/host-machine" "$work/host-copy"

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
    echo "bench: the installation under Wine did not pass; no memory figure" >&2
    tail -5 "$work/memory.log" >&2
    return 1
  fi
  echo "$peak"
}
progress "peak memory during a whole installation ($runs runs after a warm-up)"
for ((round = 0; round <= runs; round++)); do
  peak=$(peak_memory) || break
  ((round > 0)) && echo "memory $round $peak" >>"$results"
done

peer_rows

python3 "$root/tools/bench/table.py" "$results" \
  "Korvello setup benchmarks ($measured; $(date -u '+%Y-%m-%d %H:%M UTC'), $runs runs each)"
