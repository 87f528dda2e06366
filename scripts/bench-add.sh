#!/usr/bin/env bash
# The peak memory of `filmtool import --add` of many new items: a sheet of
# new rows, every column filled, brought into a new shop's empty folder (the
# fresh film.dat made first) and into a 100,000-slot film.dat that geninv
# makes; peak resident memory and wall time from /usr/bin/time -v. Prints a
# markdown section for bench/README.md.
#   scripts/bench-add.sh [ROWS]   e.g. scripts/bench-add.sh 200000,500000
source "$(dirname "$0")/common.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/host"
work="$top/build/bench-data/add"
counts=${1:-200000,500000}
tool="$build/filmtool/filmtool"
target_rows=200000
target_mb=128

rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# A sheet of `rows` new items numbered from `from`.
sheet() {
  awk -v rows="$1" -v from="$2" 'BEGIN {
    print "number,description,sku,in_stock,tax,cost_price,trade_price,price,category"
    for (i = 0; i < rows; i++) {
      printf "%d,TEA TOWEL %d COTTON WHITE,SKU-%07d,%d,%d,%.2f,%.2f,%.2f,%d\n",
        from + i, i, i, i % 500, i % 4, (i % 97) / 3, (i % 89) / 2, i % 83 + 0.5, i % 18
    }
  }'
}

# Prints "kb seconds" of one import of `$1` rows into the folder `$2`.
measure() {
  local rows=$1 folder=$2 from=$3
  sheet "$rows" "$from" >"$work/sheet.csv"
  /usr/bin/time -v -o "$work/time.txt" "$tool" import "$folder" "$work/sheet.csv" --add \
    >/dev/null 2>"$work/err.txt" || fail "import --add of $rows rows: $(head -3 "$work/err.txt")"
  local kb seconds
  kb=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
  seconds=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, p, ":"); s = 0
    for (k = 1; k <= n; k++) s = s * 60 + p[k]; print s }' "$work/time.txt")
  echo "$kb $seconds"
}

echo
echo "## \`filmtool import --add\` of new items: peak memory"
echo
echo "A sheet of new rows with every column filled, imported with \`--add\` into a new shop's"
echo "empty folder (the fresh film.dat made first) and into a 100,000-slot film.dat"
echo "(\`/usr/bin/time -v\`, maximum resident set). Target: $target_rows new items in $target_mb MB."
echo
echo "| new items | into | peak MB | target MB | seconds |"
echo "|---:|---|---:|---:|---:|"
for rows in ${counts//,/ }; do
  for into in "a new shop" "100,000 slots"; do
    folder="$work/shop"
    rm -rf "$folder"
    mkdir -p "$folder"
    from=2
    if [ "$into" != "a new shop" ]; then
      "$build/bench/geninv" "$folder/film.dat" --slots 100000 --order random --seed 7 >/dev/null
      from=1000000000
    fi
    read -r kb seconds <<<"$(measure "$rows" "$folder" "$from")"
    wanted=-
    [ "$rows" -eq "$target_rows" ] && wanted=$target_mb
    printf '| %d | %s | %d | %s | %.1f |\n' "$rows" "$into" "$((kb / 1024))" "$wanted" "$seconds"
  done
done
echo
echo "A new item is held as its sheet's texts, packed one after another (office/import/item_edits.h),"
echo "and its number once more to find a number on two lines; its record is made only when"
echo "the append reaches it, and its lines are listed as they are written. (Kept as a record"
echo "of its own with a string for each cell, as before, 200,000 new items took 174 MB.)"
