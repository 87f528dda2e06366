#!/usr/bin/env bash
# The back-office window's two threads at once (tests/thread_test.cpp)
# under ThreadSanitizer, from the build `make tsan` makes: any race fails it.
#   scripts/thread-test.sh [BUILD]     (default build/tsan)
source "$(dirname "$0")/common.sh"
cd "$(dirname "$0")/.."
program=${1:-build/tsan}/tests/thread_tests
[ -x "$program" ] || skip "no ThreadSanitizer build of the thread test at $program (make tsan)"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
TSAN_OPTIONS="halt_on_error=1 ${TSAN_OPTIONS:-}" "$program" >"$log" 2>&1 || status=$?
# A kernel whose address layout ThreadSanitizer cannot work with stops it
# before any test runs.
if [ "$status" -ne 0 ] && grep -q '^FATAL: ThreadSanitizer' "$log"; then
  skip "ThreadSanitizer cannot run on this kernel: $(grep -m 1 '^FATAL: ThreadSanitizer' "$log")"
fi
cat "$log"
[ "$status" -eq 0 ] || fail "the thread test failed under ThreadSanitizer (exit $status)"
