#!/usr/bin/env bash
# Installs what is missing, builds every build and runs every test: the packer's checks, the
# unit tests of the host build, then the end-to-end tests of the real setup.exe under Wine
# (32-bit build and its 64-bit twin; the e2e tests choose what this machine's Wine can run).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

tools/deps.sh
tools/build.sh

failed=()

echo "== packer checks"
python3 -m unittest discover -s tools/pack -p 'test_*.py' || failed+=("packer checks")

echo "== unit tests (build/host)"
# A test that hangs fails after two minutes instead of stopping the whole run.
ctest --test-dir build/host -L unit --no-tests=error --timeout 120 --output-on-failure || failed+=("unit tests")

for build in win win64; do
  echo "== end-to-end tests (build/$build)"
  count="$(ctest --test-dir "build/$build" -L e2e -N | sed -n 's/^Total Tests: *//p')"
  if [ "${count:-0}" -eq 0 ]; then
    echo "NOTE: no end-to-end tests are registered in build/$build; none were run."
    continue
  fi
  ctest --test-dir "build/$build" -L e2e --output-on-failure || failed+=("e2e tests in build/$build")
done

if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
  exit 1
fi
echo "All tests passed."
