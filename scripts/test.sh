#!/usr/bin/env bash
# Builds every flavour (native with sanitizers, i686 and x86_64 Windows) and
# runs all test suites, the Windows ones under Wine on a private prefix and,
# without a display, on Xvfb. On a host that cannot run 32-bit programs the
# i686 suites are built but not run, and a line says so. Before the suites
# it builds and checks the release packages (scripts/package.sh), which
# count as one more check; so does, where the i686 suites cannot run, an
# emulated smoke test of the packaged i686 set (scripts/i686-smoke.sh).
# Exits non-zero when anything that ran failed, and closes with one
# "N passed, N failed" line over all suites that ran and the packages.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VORLANE_BUILD_DIR:-$root/build}"

bash "$root/scripts/setup.sh"
source "$root/scripts/build.sh"
vorlane_build native
vorlane_build i686
vorlane_build x86_64

passed=0
failed=0
status=0
# Before the suites: the x86_64 suite installs and removes the installer.
echo "== packages"
if bash "$root/scripts/package.sh"; then
  passed=$((passed + 1))
  packaged="test: packages built and checked in $build/packages"
else
  failed=$((failed + 1))
  status=1
  packaged="test: FAILED: the release packages (scripts/package.sh, output above)"
fi

source "$root/scripts/wine-env.sh"
trap vorlane_wine_stop EXIT
vorlane_wine_up "$build/wineprefix" || exit 1

flavours=(native x86_64)
not_run=""
if [ "$vorlane_runs_32bit" = 1 ]; then
  flavours=(native i686 x86_64)
else
  not_run="test: i686 suites and the installer's round trip not run: $vorlane_no_32bit_reason"
fi
# The installer is a 32-bit program: its test says so and skips where
# 32-bit programs cannot run.
export VORLANE_RUNS_32BIT="$vorlane_runs_32bit"

# Wine's failures to start a test program at all are retried by the
# emulator script, which names them here; nothing else is ever repeated.
export VORLANE_RETRY_LOG="$build/retries.log"
: >"$VORLANE_RETRY_LOG"

for flavour in "${flavours[@]}"; do
  echo "== tests: $flavour"
  log="$build/$flavour/ctest.log"
  if ! ctest --test-dir "$build/$flavour" --output-on-failure --timeout 300 \
      2>&1 | tee "$log"; then
    status=1
  fi
  if ! summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)"; then
    echo "test: no summary from ctest for $flavour" >&2
    status=1
    continue
  fi
  total="$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")"
  bad="$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$summary")"
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  if [ "$bad" -ne 0 ]; then status=1; fi
done

# Where the i686 suites could not run, the packaged i686 set still runs
# once, emulated. VORLANE_I686_SMOKE=1 runs it on any host.
smoke=""
if [ "$vorlane_runs_32bit" != 1 ] || [ "${VORLANE_I686_SMOKE:-0}" = 1 ]; then
  smoke_log="$build/i686-smoke.log"
  set +e
  bash "$root/scripts/i686-smoke.sh" 2>&1 | tee "$smoke_log"
  smoke_status="${PIPESTATUS[0]}"
  set -e
  smoke="$(grep '^test: ' "$smoke_log" | tail -n1 || true)"
  case "$smoke_status" in
    0) passed=$((passed + 1)) ;;
    2) ;;
    *) failed=$((failed + 1)); status=1
       if [ -z "$smoke" ]; then smoke="test: FAILED: the i686 smoke test (output above)"; fi ;;
  esac
fi

if [ -s "$VORLANE_RETRY_LOG" ]; then
  echo "test: Wine failed to start these and they were started again:"
  sed 's/^/  /' "$VORLANE_RETRY_LOG"
else
  echo "test: no start needed a retry"
fi
if [ -n "$not_run" ]; then echo "$not_run"; fi
if [ -n "$smoke" ]; then echo "$smoke"; fi
echo "$packaged"
echo "total: $passed passed, $failed failed"
exit "$status"
