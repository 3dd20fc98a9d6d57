#!/usr/bin/env bash
# ctest's emulator for the Windows test programs: runs one under the Wine
# loader the scripts chose for this host (WINELOADER, else Debian's `wine`).
# Now and then Wine fails to start a program at all, before any of its code
# runs; only then is the start tried again, and each such retry is logged to
# $VORLANE_RETRY_LOG so that the test script can name it. A program that ran
# and failed is never run again.
set -uo pipefail

loader="${WINELOADER:-wine}"
work="$(mktemp -d "${TMPDIR:-/tmp}/vorlane-wine-run.XXXXXX")"
trap 'rm -rf "$work"' EXIT

not_started='ShellExecuteEx failed|^Application could not be started|^wine: (failed|could not|cannot)'

for attempt in 1 2 3; do
  # The program's own output streams through as it comes; what Wine says
  # on standard error is held back until it is known whether it ran.
  "$loader" "$@" 2>"$work/errors" | tee "$work/output"
  status="${PIPESTATUS[0]}"
  # Wine's own start helper reports such a failure on standard output, so
  # the output counts as the program's only if it holds more than that.
  # A test program's first act is to print a line (GoogleTest's main), so
  # one that failed having printed nothing at all never ran either.
  silent=0
  if [ ! -s "$work/output" ] && [ ! -s "$work/errors" ]; then silent=1; fi
  if [ "$status" -ne 0 ] && [ "$attempt" -lt 3 ] &&
     ! grep -qvE "$not_started|^[[:space:]]*\$" "$work/output" &&
     { [ "$silent" = 1 ] || cat "$work/errors" "$work/output" | grep -qE "$not_started"; }; then
    if [ -n "${VORLANE_RETRY_LOG:-}" ]; then
      reason="$(cat "$work/errors" "$work/output" | tr '\n' ' ' | cut -c1-200)"
      printf '%s %s: Wine did not start it (%s); started again\n' \
        "$(basename "$1")" "${*:2}" "${reason:-exit status $status, no output at all}" \
        >>"$VORLANE_RETRY_LOG"
    fi
    continue
  fi
  cat "$work/errors" >&2
  exit "$status"
done
