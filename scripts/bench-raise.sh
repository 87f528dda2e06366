#!/usr/bin/env bash
# A whole-shop price raise: every price of a geninv film.dat (items in
# ascending order, so that every slot is changed and the write's groups meet
# slot by slot) raised by 1 in its full export, and the sheet imported once.
# The import must end with exit 0 and every price written. Wall time and
# peak resident memory from /usr/bin/time, beside one `filmtool export` of
# the same file. Prints a markdown section for bench/README.md.
#   scripts/bench-raise.sh [SLOTS]   e.g. scripts/bench-raise.sh 3000,200000
source "$(dirname "$0")/common.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/host"
work="$top/build/bench-data/raise"
counts=${1:-3000,200000}
tool="$build/filmtool/filmtool"

rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# Prints "ms kb" of one run of "$@", its standard output into $work/out.txt.
once() {
  /usr/bin/time -o "$work/time.txt" -f "%e %M" "$@" >"$work/out.txt" 2>"$work/err.txt" ||
    fail "$* failed: $(head -3 "$work/err.txt")"
  awk '{ printf "%d %d\n", $1 * 1000, $2 }' "$work/time.txt"
}
prices() { awk -F, 'NR > 1 { print $9 }' "$1"; }

echo
echo "## Every price raised in one import (ms; peak memory, MB)"
echo
echo "Every item of a film.dat in ascending order (\`geninv --order asc\`) a unit dearer in its"
echo "full export, imported once: every slot is written, in groups of about 1,100 adjacent"
echo "slots under one journal each. Beside one \`filmtool export\` of the same file."
echo
echo "| slots | import ms | export ms | import / export | peak MB |"
echo "|---:|---:|---:|---:|---:|"
for slots in ${counts//,/ }; do
  "$build/bench/geninv" "$work/film.dat" --slots "$slots" --order asc --seed 7 >/dev/null
  exported=$(once "$tool" export "$work")
  awk -F, 'BEGIN { OFS = "," } NR > 1 { $9 = sprintf("%.2f", $9 + 1) } { print }' \
    "$work/out.txt" >"$work/raised.csv"
  imported=$(once "$tool" import "$work" "$work/raised.csv")
  tail -1 "$work/out.txt" | grep -qx "$slots items changed" ||
    fail "the import of $slots raised prices said: $(tail -1 "$work/out.txt")"
  "$tool" export "$work" >"$work/after.csv"
  cmp -s <(prices "$work/raised.csv") <(prices "$work/after.csv") ||
    fail "not every one of $slots raised prices is in film.dat"
  ms=${imported% *} kb=${imported#* } base=${exported% *}
  printf '| %d | %d | %d | %.2f | %d |\n' "$slots" "$ms" "$base" \
    "$(awk "BEGIN { print $ms / ($base > 0 ? $base : 1) }")" "$((kb / 1024))"
  rm -f "$work/film.dat" "$work/film.jnl"
done
