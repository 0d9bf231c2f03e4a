#!/usr/bin/env bash
# Installs what is missing, builds every build and runs every test: the packer's checks, the
# unit tests of the host build, then the end-to-end tests of the real setup.exe under Wine
# (32-bit build and its 64-bit twin; the e2e tests choose what this machine's Wine can run).
#
# Every suite runs even when an earlier one fails. The run fails when a test fails, when a
# suite gives no results, when no Windows build ran any end-to-end scenario, or when a scenario
# was skipped by every Windows build (the 32-bit build may skip what its 64-bit twin runs).
# The last line is the count over all suites: "N passed, N failed, N skipped".
#
# KORV_BUILD_ROOT puts the builds in another folder than build/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORV_BUILD_ROOT="$(realpath -m "${KORV_BUILD_ROOT:-$root/build}")"
export KORV_BUILD_ROOT
cd "$root"

tools/deps.sh
tools/build.sh

results="$(mktemp -d)"
trap 'rm -rf "$results"' EXIT

failed=()
total_passed=0
total_failed=0
total_skipped=0

# The build folder as the user named it: build/win rather than /.../build/win.
shown() { echo "${1#"$root"/}"; }

# Reads a suite's result lines (from run_unittest or ctest_results) on stdin: the counts
# "passed failed skipped" first, then one "outcome<TAB>test<TAB>reason" line per test. Adds the
# counts to the totals and keeps the rest as $results/<suite>.tests.
tally() {
  local suite="$1" passed failed_count skipped
  if ! read -r passed failed_count skipped; then
    failed+=("$suite (no results)")
    return
  fi
  cat >"$results/$suite.tests"
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed_count))
  total_skipped=$((total_skipped + skipped))
  echo "$suite: $passed passed, $failed_count failed, $skipped skipped"
}

# Runs the packer's unittest checks and writes their result lines to the file given.
run_unittest() {
  python3 - "$1" <<'EOF'
import sys
import unittest


class Outcomes(unittest.TextTestResult):
    """Keeps one outcome per test; a test with several failing subtests fails once."""

    def __init__(self, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.outcomes = {}

    def startTest(self, test):
        super().startTest(test)
        self.outcomes.setdefault(test.id(), ("passed", ""))

    def _fail(self, test):
        self.outcomes[test.id()] = ("failed", "")

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._fail(test)

    def addError(self, test, err):
        super().addError(test, err)
        self._fail(test)

    def addUnexpectedSuccess(self, test):
        super().addUnexpectedSuccess(test)
        self._fail(test)

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            self._fail(test)

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        if self.outcomes.get(test.id(), ("",))[0] != "failed":
            self.outcomes[test.id()] = ("skipped", reason)


suite = unittest.defaultTestLoader.discover("tools/pack", pattern="test_*.py")
result = unittest.TextTestRunner(resultclass=Outcomes).run(suite)
outcomes = [(name, *outcome) for name, outcome in sorted(result.outcomes.items())]
with open(sys.argv[1], "w", encoding="utf-8") as out:
    counts = [sum(1 for _, o, _ in outcomes if o == kind) for kind in ("passed", "failed", "skipped")]
    print(*counts, file=out)
    for name, outcome, reason in outcomes:
        print(outcome, name, reason, sep="\t", file=out)
sys.exit(0 if result.wasSuccessful() else 1)
EOF
}

# Prints the result lines of a ctest JUnit file. A test skipped by its SKIP_RETURN_CODE or
# SKIP_REGULAR_EXPRESSION and a disabled test are skipped; a test that could not start (missing
# program or required file) is "notrun" in the file too, but ctest fails it, and so do we. The
# reason of a skip is the test's last "SKIP: ..." line of output, when it printed one.
ctest_results() {
  python3 - "$1" <<'EOF'
import sys
import xml.etree.ElementTree as ElementTree

outcomes = []
for case in ElementTree.parse(sys.argv[1]).getroot().iter("testcase"):
    status = case.get("status")
    skipped = case.find("skipped")
    output = case.findtext("system-out") or ""
    skip_lines = [line for line in output.splitlines() if line.startswith("SKIP:")]
    if status == "run" and case.find("failure") is None:
        outcomes.append(("passed", case.get("name"), ""))
    elif status == "disabled":
        outcomes.append(("skipped", case.get("name"), "disabled"))
    elif (status == "notrun" and skipped is not None
          and skipped.get("message", "").startswith("SKIP_")):
        reason = skip_lines[-1] if skip_lines else skipped.get("message")
        outcomes.append(("skipped", case.get("name"), reason))
    else:
        reason = skipped.get("message", "") if skipped is not None else ""
        outcomes.append(("failed", case.get("name"), reason))
print(*(sum(1 for o, _, _ in outcomes if o == kind) for kind in ("passed", "failed", "skipped")))
for outcome, name, reason in outcomes:
    print(outcome, name, reason, sep="\t")
EOF
}

# Runs the tests of one label of a build folder with ctest and tallies them as the suite given.
run_ctest() {
  local suite="$1" dir="$2" label="$3"
  shift 3
  local junit="$results/$suite.xml" status=0
  ctest --test-dir "$dir" -L "$label" --output-on-failure --output-junit "$junit" "$@" || status=$?
  [ "$status" -eq 0 ] || failed+=("$suite")
  if [ -f "$junit" ]; then
    tally "$suite" < <(ctest_results "$junit")
  else
    failed+=("$suite (no results)")
  fi
}

# Lists the tests of a suite with the outcome given, one per line.
tests_with() { awk -F '\t' -v outcome="$2" '$1 == outcome { print $2 }' "$results/$1.tests"; }

echo "== packer checks"
run_unittest "$results/packer.counts" || failed+=("packer")
if [ -f "$results/packer.counts" ]; then
  tally packer <"$results/packer.counts"
else
  failed+=("packer (no results)")
fi

host="$KORV_BUILD_ROOT/host"
echo "== unit tests ($(shown "$host"))"
# A test that hangs fails after two minutes instead of stopping the whole run.
run_ctest unit "$host" unit --no-tests=error --timeout 120

windows_builds=()
for build in win win64; do
  dir="$KORV_BUILD_ROOT/$build"
  suite="e2e-$build"
  echo "== end-to-end tests ($(shown "$dir"))"
  count="$(ctest --test-dir "$dir" -L e2e -N | sed -n 's/^Total Tests: *//p' || true)"
  if [ "${count:-0}" -eq 0 ]; then
    echo "NOTE: no end-to-end tests are registered in $(shown "$dir"); none were run."
    continue
  fi
  run_ctest "$suite" "$dir" e2e
  [ -f "$results/$suite.tests" ] || continue
  windows_builds+=("$suite")
done

# Per Windows build: what ran and what was skipped, with the reasons the scenarios gave.
echo "== end-to-end summary"
for suite in "${windows_builds[@]}"; do
  ran_passed="$(tests_with "$suite" passed | wc -l)"
  ran_failed="$(tests_with "$suite" failed | wc -l)"
  skipped="$(tests_with "$suite" skipped | wc -l)"
  echo "${suite#e2e-}: $((ran_passed + ran_failed)) scenarios ran ($ran_passed passed," \
    "$ran_failed failed), $skipped skipped"
  awk -F '\t' '$1 == "skipped" { names[$3] = names[$3] " " $2; count[$3]++ }
    END { for (reason in names) printf "  skipped %d (%s):%s\n", count[reason], reason, names[reason] }' \
    "$results/$suite.tests"
done

ran=0
for suite in "${windows_builds[@]}"; do
  ran=$((ran + $(tests_with "$suite" passed | wc -l) + $(tests_with "$suite" failed | wc -l)))
done
if [ "$ran" -eq 0 ]; then
  echo "FAIL: no Windows build ran any end-to-end scenario"
  failed+=("end-to-end tests: none ran")
else
  # A scenario counts as tested when at least one Windows build ran it.
  never_ran="$(comm -23 \
    <(for suite in "${windows_builds[@]}"; do tests_with "$suite" skipped; done | sort -u) \
    <(for suite in "${windows_builds[@]}"; do
      tests_with "$suite" passed
      tests_with "$suite" failed
    done | sort -u))"
  if [ -n "$never_ran" ]; then
    echo "FAIL: skipped by every Windows build: ${never_ran//$'\n'/ }"
    failed+=("end-to-end tests: some never ran")
  fi
fi

if [ ${#failed[@]} -gt 0 ]; then
  printf 'FAILED: %s\n' "${failed[@]}"
else
  echo "All tests passed."
fi
echo "$total_passed passed, $total_failed failed, $total_skipped skipped"
[ ${#failed[@]} -eq 0 ]
