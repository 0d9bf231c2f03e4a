#!/usr/bin/env bash
# Installs what is missing, builds every build and runs every test: the packer's checks, the
# checks of the sample product's generated data, the unit tests of the host build, then the
# end-to-end tests of the real setup.exe under Wine
# (32-bit build and its 64-bit twin; the e2e tests choose what this machine's Wine can run).
#
# Every suite runs even when an earlier one fails. The run fails when a test fails, when a
# suite gives no results, when no Windows build ran any end-to-end scenario, or when a scenario
# was skipped by every Windows build (the 32-bit build may skip what its 64-bit twin runs).
# The last line is the count over all suites: "N passed, N failed, N skipped".
#
# The fuzz step builds the libFuzzer targets of tests/fuzz/ with clang (build folder fuzz/) and
# runs each for KORV_FUZZ_SECONDS (25 by default) on its corpus; a target that finds a crash or
# a broken promise fails. Modes: --fuzz runs only that step; --sanitize runs only the unit tests
# built once with AddressSanitizer and UndefinedBehaviorSanitizer (asan/) and once with
# ThreadSanitizer (tsan/), which fail on any report.
#
# KORV_BUILD_ROOT puts the builds in another folder than build/.
set -euo pipefail

mode=all
case "${1:-}" in
  "") ;;
  --fuzz) mode=fuzz ;;
  --sanitize) mode=sanitize ;;
  *)
    echo "usage: $0 [--fuzz | --sanitize]" >&2
    exit 2
    ;;
esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KORV_BUILD_ROOT="$(realpath -m "${KORV_BUILD_ROOT:-$root/build}")"
export KORV_BUILD_ROOT
cd "$root"

tools/deps.sh
[ "$mode" = all ] && tools/build.sh

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

# Runs the unittest checks (test_*.py) of a folder and writes their result lines to the file
# given: run_unittest <result-file> <folder>.
run_unittest() {
  python3 - "$1" "$2" <<'EOF'
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


folder = sys.argv[2]
suite = unittest.defaultTestLoader.discover(folder, pattern="test_*.py", top_level_dir=folder)
result = unittest.TextTestRunner(resultclass=Outcomes).run(suite)
outcomes = [(name, *outcome) for name, outcome in sorted(result.outcomes.items())]
with open(sys.argv[1], "w", encoding="utf-8") as out:
    counts = [sum(1 for _, o, _ in outcomes if o == kind) for kind in ("passed", "failed", "skipped")]
    print(*counts, file=out)
    for name, outcome, reason in outcomes:
        print(outcome, name, reason, sep="\t", file=out)
# A suite that ran no test (none found, or discovery found nothing to load) checked nothing.
if result.testsRun == 0:
    print(f"the checks of {folder} ran no test", file=sys.stderr)
    sys.exit(1)
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

# The verdict and the count over all suites; fails when any suite failed.
summarize() {
  if [ ${#failed[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${failed[@]}"
  else
    echo "All tests passed."
  fi
  echo "$total_passed passed, $total_failed failed, $total_skipped skipped"
  [ ${#failed[@]} -eq 0 ]
}

# Lists the tests of a suite with the outcome given, one per line.
tests_with() { awk -F '\t' -v outcome="$2" '$1 == outcome { print $2 }' "$results/$1.tests"; }

# Builds the libFuzzer targets and runs each briefly; one result per target, with the number
# of inputs it ran. A crash's input is kept in the build folder and named in the output.
run_fuzz() {
  local dir="$KORV_BUILD_ROOT/fuzz" seconds="${KORV_FUZZ_SECONDS:-25}" lines="$results/fuzz.lines"
  echo "== fuzz targets ($(shown "$dir"), ${seconds} s each)"
  if ! CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKORV_FUZZ=ON >/dev/null || ! cmake --build "$dir" -j2; then
    failed+=("fuzz (build)")
    return
  fi
  local passed=0 failed_count=0 program target log runs crash
  : >"$lines"
  for program in "$dir"/tests/fuzz/*_fuzz; do
    target="$(basename "$program")"
    log="$results/fuzz-$target.log"
    mkdir -p "$results/fuzz-corpus/$target"
    # New inputs go to a scratch folder; the committed corpus is only read.
    if "$program" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$dir/$target-" \
      "$results/fuzz-corpus/$target" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
      passed=$((passed + 1))
      printf 'passed\t%s\t\n' "$target" >>"$lines"
    else
      failed_count=$((failed_count + 1))
      printf 'failed\t%s\t\n' "$target" >>"$lines"
      tail -n 30 "$log"
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    crash="$(sed -n 's/.*Test unit written to //p' "$log" | head -n 1)"
    echo "$target: ${runs:-no} inputs run${crash:+, crash input kept as $crash}"
  done
  if [ $((passed + failed_count)) -eq 0 ]; then
    failed+=("fuzz (no targets)")
    return
  fi
  [ "$failed_count" -eq 0 ] || failed+=("fuzz")
  tally fuzz < <(echo "$passed $failed_count 0"; cat "$lines")
}

# Builds the host build with the sanitizers given into folder and runs its unit tests there.
run_sanitized() {
  local suite="$1" dir="$2" sanitizers="$3"
  echo "== unit tests with $sanitizers ($(shown "$dir"))"
  if ! cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "-DKORV_SANITIZE=$sanitizers" \
    >/dev/null || ! cmake --build "$dir" -j2; then
    failed+=("$suite (build)")
    return
  fi
  run_ctest "$suite" "$dir" unit --no-tests=error --timeout 300
}

if [ "$mode" = sanitize ]; then
  # No leak, memory or undefined-behaviour report passes; each sanitizer stops at its first.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
  run_sanitized unit-asan "$KORV_BUILD_ROOT/asan" "address;undefined"
  run_sanitized unit-tsan "$KORV_BUILD_ROOT/tsan" thread
fi
if [ "$mode" = fuzz ]; then
  run_fuzz
fi
if [ "$mode" != all ]; then
  summarize
  exit
fi

for checks in "packer tools/pack" "sample-data product"; do
  read -r suite folder <<<"$checks"
  echo "== $suite checks ($folder)"
  run_unittest "$results/$suite.counts" "$folder" || failed+=("$suite")
  if [ -f "$results/$suite.counts" ]; then
    tally "$suite" <"$results/$suite.counts"
  else
    failed+=("$suite (no results)")
  fi
done

host="$KORV_BUILD_ROOT/host"
echo "== unit tests ($(shown "$host"))"
# A test that hangs fails after two minutes instead of stopping the whole run.
run_ctest unit "$host" unit --no-tests=error --timeout 120

run_fuzz

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

summarize
