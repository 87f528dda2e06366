# Sourced by the benchmark scripts: one timed run of a command and the
# better of two, each "ms cpu-ms kb" (wall, user and system, peak resident).
# The caller sets $work, a folder for the run's output and times.

once() {  # prints "ms cpu-ms kb" of one run of "$@", which must succeed
  /usr/bin/time -o "$work/time.txt" -f "%e %U %S %M" "$@" >"$work/out.txt" 2>&1 ||
    fail "$* failed: $(tail -3 "$work/out.txt")"
  awk '{ printf "%d %d %d\n", $1 * 1000, ($2 + $3) * 1000, $4 }' "$work/time.txt"
}
better() {  # the better of "ms cpu-ms kb" $1 (or none) and $2, by wall time
  if [ -z "$1" ] || [ "${2%% *}" -lt "${1%% *}" ]; then echo "$2"; else echo "$1"; fi
}
