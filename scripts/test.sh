#!/usr/bin/env bash
# Runs every test of `make test` over the builds that make has made: each
# step to its end whatever the others did, then what ran, what passed, and
# what was skipped and why. Exits 1 when a step failed.
#   scripts/test.sh
# A step that cannot run on this machine ends with 77 after one line that
# says why (skip in scripts/common.sh); that line is its entry below.
source "$(dirname "$0")/common.sh"
cd "$(dirname "$0")/.."
jobs=$(nproc)
results=()
counts=(0 0 0)  # passed, skipped, failed

# step TITLE PATTERN COMMAND...: runs COMMAND; the lines of its output that
# match the extended regular expression PATTERN tell how it went.
step() {
  local title=$1 pattern=$2 log status=0 start=$SECONDS
  shift 2
  log=$(mktemp)
  echo "== $title"
  { "$@" 2>&1 | tee "$log"; status=${PIPESTATUS[0]}; } || true
  local took="$((SECONDS - start)) s" said
  said=$(tr -d '\r' <"$log" | grep -E "$pattern" | paste -sd ';' | sed 's/;/; /g' || true)
  case $status in
    0)
      results+=("passed   $title ($took)${said:+: $said}")
      counts[0]=$((counts[0] + 1))
      ;;
    "$skip_status")
      results+=("skipped  $title: $(tr -d '\r' <"$log" | grep -v '^\s*$' | tail -n 1)")
      counts[1]=$((counts[1] + 1))
      ;;
    *)
      [ -n "$said" ] || said=$(tr -d '\r' <"$log" | grep -v '^\s*$' | tail -n 1)
      results+=("FAILED   $title (exit $status, $took): $said")
      counts[2]=$((counts[2] + 1))
      ;;
  esac
  rm -f "$log"
}

ctest_in() {
  cd "$1" && ctest --output-on-failure -j "$jobs"
}
tests_passed='tests passed|tests FAILED|^\s+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess aborted|Not Run)\)'

step "unit tests, host build" "$tests_passed" ctest_in build/host
step "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer" "$tests_passed" \
  ctest_in build/sanitize
step "the window's two threads at once, under ThreadSanitizer" \
  '^\[  (PASSED|FAILED) |WARNING: ThreadSanitizer' scripts/thread-test.sh build/tsan
step "unit tests cross-built for 32-bit ARM, under qemu-arm" "$tests_passed" ctest_in build/arm/tallo
step "the scripts' own tests" '^(ok|FAILED) ' scripts/script-test.sh
step "the code's format, as clang-format leaves it" '^format:|files are not formatted' \
  scripts/format-check.sh
step "workbooks through LibreOffice Calc and Gnumeric" '^spreadsheets:|^FAILED ' \
  scripts/spreadsheet-test.sh build/host
for bits in 64 32; do
  build=build/win
  [ "$bits" = 64 ] || build=build/win32
  step "$bits-bit Windows programs, checked without running them" 'imports' \
    scripts/pe-check.sh "$build" "$build/app/tallo.exe" "$build/filmtool/filmtool.exe" \
    "$build/desk/filmdesk.exe"
  step "GUI tests, $bits-bit, under Wine and Xvfb" '^[0-9]+ passed, [0-9]+ failed' \
    scripts/gui-test.sh "$build"
  step "filmtool.exe, $bits-bit, beside the host's filmtool" 'every check agreed|checks failed' \
    scripts/filmtool-wine-test.sh build/host "$build"
done
step "one writer at a time: the Linux filmtool beside filmtool.exe and tallo.exe, under 64-bit Wine" \
  '^one writer at a time: ' scripts/one-writer-test.sh build/host build/win
step "fuzzing, 60 s" '^== |^Done [0-9]+ runs|failed \(status' scripts/fuzz.sh 60

echo
echo "make test: ${counts[0]} passed, ${counts[1]} skipped, ${counts[2]} failed"
printf '  %s\n' "${results[@]}"
[ "${counts[2]}" = 0 ] || exit 1
