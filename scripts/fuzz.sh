#!/usr/bin/env bash
# Builds the libFuzzer target fuzz_commands with clang in build/fuzz and runs
# it on a copy of tests/fuzz/corpus.
#
#   scripts/fuzz.sh [SECONDS] [--merge] [-- LIBFUZZER-FLAGS...]
#
# SECONDS (default 60) bounds the run. The repository's corpus is left as it
# is unless --merge is given: then the inputs of this run that reach new
# coverage are added to it. Crash inputs land in build/fuzz/run/artifacts/;
# the script exits non-zero when the fuzzer found one. FUZZ_JOBS=N runs N
# fuzzing processes (libFuzzer -fork).
set -euo pipefail
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
cmake --build "$build" -j "$(nproc)" --target fuzz_commands
fuzzer="$build/tests/fuzz/fuzz_commands"

run="$build/run"
rm -rf "$run/corpus"
mkdir -p "$run/corpus" "$run/artifacts"
cp tests/fuzz/corpus/* "$run/corpus/"

flags=(-max_total_time="$seconds" -max_len=8192 -rss_limit_mb=2048 -timeout=20
       -artifact_prefix="$run/artifacts/" -print_final_stats=1)
if [ "${FUZZ_JOBS:-1}" -gt 1 ]; then flags+=(-fork="$FUZZ_JOBS"); fi

# The full log goes to $run/log; the terminal gets it without the per-input
# NEW/REDUCE lines.
set +e
"$fuzzer" "${flags[@]}" "$run/corpus" "${extra[@]}" 2>&1 | tee "$run/log" |
  grep --line-buffered -v '^#.*\(NEW\|REDUCE\)'
status=${PIPESTATUS[0]}
set -e

if [ "$merge" -eq 1 ]; then
  "$fuzzer" -merge=1 -max_len=8192 -rss_limit_mb=2048 tests/fuzz/corpus "$run/corpus" 2>&1 | tail -n 2
  bytes=$(cat tests/fuzz/corpus/* | wc -c)
  echo "tests/fuzz/corpus: $(ls tests/fuzz/corpus | wc -l) files, $((bytes / 1024)) KB"
  if [ "$bytes" -gt 204800 ]; then
    echo "warning: the corpus is past 200 KB; keep only a few seeds in the repository" >&2
  fi
fi

if [ "$status" -ne 0 ]; then
  echo "fuzz_commands failed (status $status); inputs in $run/artifacts/:" >&2
  ls "$run/artifacts" >&2
  exit 1
fi
