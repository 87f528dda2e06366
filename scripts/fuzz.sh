#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each on a
# copy of its corpus: fuzz_commands (start-up and the record commands) on
# tests/fuzz/corpus, fuzz_import (filmtool's import of a sheet) on
# tests/fuzz/corpus-import, fuzz_workbook (the workbook reader) on
# tests/fuzz/corpus-workbook, fuzz_desk (the back-office window's settings
# file) on tests/fuzz/corpus-desk.
#
#   scripts/fuzz.sh [SECONDS] [--merge] [-- LIBFUZZER-FLAGS...]
#
# SECONDS (default 60) bounds the whole run, shared between the targets. The
# repository's corpora are left as they are unless --merge is given: then the
# inputs of this run that reach new coverage are added to them. Crash inputs
# land in build/fuzz/run/<target>/artifacts/; the script exits non-zero when
# a fuzzer found one. FUZZ_JOBS=N runs N fuzzing processes (libFuzzer -fork).
source "$(dirname "$0")/common.sh"
cd "$(dirname "$0")/.."

seconds=60
merge=0
extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --merge) merge=1 ;;
    --) shift; extra=("$@"); break ;;
    ''|*[!0-9]*) echo "usage: $0 [SECONDS] [--merge] [-- LIBFUZZER-FLAGS...]" >&2; exit 2 ;;
    *) seconds=$1 ;;
  esac
  shift
done

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALLO_FUZZ=ON >/dev/null
targets=(fuzz_commands fuzz_import fuzz_workbook fuzz_desk)
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

failed=0
for target in "${targets[@]}"; do
  case $target in
    fuzz_commands) corpus=tests/fuzz/corpus ;;
    fuzz_import) corpus=tests/fuzz/corpus-import ;;
    fuzz_workbook) corpus=tests/fuzz/corpus-workbook ;;
    fuzz_desk) corpus=tests/fuzz/corpus-desk ;;
  esac
  fuzzer="$build/tests/fuzz/$target"
  run="$build/run/$target"
  rm -rf "$run/corpus"
  mkdir -p "$run/corpus" "$run/artifacts"
  cp "$corpus"/* "$run/corpus/"

  share=$((seconds / ${#targets[@]}))
  # The sheet readers' memory is bounded whatever the file: above this cap
  # (with room for the address sanitizer's quarantine of freed memory), or
  # for any one allocation above a smaller one, fuzz_workbook aborts and
  # the input that made it is kept as a crash.
  rss=(-rss_limit_mb=2048)
  if [ "$target" = fuzz_workbook ]; then rss=(-rss_limit_mb=512 -malloc_limit_mb=64); fi
  flags=(-max_total_time="$((share > 10 ? share : 10))" -max_len=16384 "${rss[@]}" -timeout=20
         -artifact_prefix="$run/artifacts/" -print_final_stats=1)
  if [ "${FUZZ_JOBS:-1}" -gt 1 ]; then flags+=(-fork="$FUZZ_JOBS"); fi

  # The full log goes to $run/log; the terminal gets it without the
  # per-input NEW/REDUCE lines.
  echo "== $target"
  # The pipeline's failure is the fuzzer's, read from PIPESTATUS below.
  {
    "$fuzzer" "${flags[@]}" "$run/corpus" "${extra[@]}" 2>&1 | tee "$run/log" |
      grep --line-buffered -v '^#.*\(NEW\|REDUCE\)'
    status=${PIPESTATUS[0]}
  } || true

  if [ "$merge" -eq 1 ]; then
    "$fuzzer" -merge=1 -max_len=16384 -rss_limit_mb=2048 "$corpus" "$run/corpus" 2>&1 | tail -n 2
    bytes=$(cat "$corpus"/* | wc -c)
    echo "$corpus: $(ls "$corpus" | wc -l) files, $((bytes / 1024)) KB"
    if [ "$bytes" -gt 204800 ]; then
      echo "warning: $corpus is past 200 KB; keep only a few seeds in the repository" >&2
    fi
  fi

  if [ "$status" -ne 0 ]; then
    echo "$target failed (status $status); inputs in $run/artifacts/:" >&2
    ls "$run/artifacts" >&2
    failed=1
  fi
done
exit "$failed"
