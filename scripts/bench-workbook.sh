#!/usr/bin/env bash
# Workbooks beside CSV, over the inventories (random order) of
# build/bench-data: the export of the 1,000,000-slot file and of the
# largest one (2,291,871 slots, in three sheets), and the import of the
# same 100,000 price changes (every 9th row a cent up) as CSV and as a
# workbook, each from a fresh export of the file as a shop's would be; and
# the dry run of the same rows as a spreadsheet saves them, every text a
# shared string; and the import of an .ods of the 100,000-slot file, saved
# by Calc, beside the same rows as CSV. Wall time and peak resident memory from
# /usr/bin/time, the best of RUNS runs by wall time, with its CPU time
# (user and system), which a busy machine disturbs less; the two of each
# pair take turns. Prints a markdown section for bench/README.md.
#   scripts/bench-workbook.sh [RUNS]   default 3
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/bench-timing.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/host"
data="$top/build/bench-data"
runs=${1:-3}
tool="$build/filmtool/filmtool"
work="$data/workbook"
largest=2291871

# inventory N: the N-slot file of bench.sh, made if it is not there.
inventory() {
  local dir="$data/$1-random"
  if [ "$(stat -c %s "$dir/film.dat" 2>/dev/null || echo 0)" != $(($1 * 1874)) ]; then
    mkdir -p "$dir"
    "$build/bench/geninv" "$dir/film.dat" --slots "$1" --order random --deleted $(($1 / 100)) \
      --seed 7 >/dev/null
  fi
  echo "$dir"
}
rm -rf "$work"
mkdir -p "$work"
office=
cleanup() {
  [ -z "$office" ] || kill "$office" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# Every 9th row of an export, up to 100,000, with its price a cent up.
change_prices() {
  awk -F, 'BEGIN { OFS = "," }
    NR > 1 && n < 100000 && NR % 9 == 0 { n++; $9 = sprintf("%.2f", $9 + 0.01) } { print }'
}
# row NAME "ms cpu kb" "ms cpu kb" TARGET TARGET_MB: a table row, the
# workbook's run beside the CSV's.
row() {
  local ms=${2%% *} kb=${2##* } base=${3%% *} cpu cbase
  cpu=$(cut -d' ' -f2 <<<"$2")
  cbase=$(cut -d' ' -f2 <<<"$3")
  echo "| $1 | $ms | $base | $(awk "BEGIN{printf \"%.2f\", $ms/$base}") | $cpu | $cbase |" \
    "$(awk "BEGIN{printf \"%.2f\", $cpu/$cbase}") | $4 | $((kb / 1024)) | $5 |"
}

load=$(cut -d' ' -f1 /proc/loadavg)
million=$(inventory 1000000)
csv= xlsx=
for _ in $(seq "$runs"); do
  csv=$(better "$csv" "$(once "$tool" export "$million")")
  xlsx=$(better "$xlsx" "$(once "$tool" export "$million" "$work/stock.xlsx")")
done
csvImport= xlsxImport=
for _ in $(seq "$runs"); do
  "$tool" export "$million" | change_prices >"$work/changed.csv"
  csvImport=$(better "$csvImport" "$(once "$tool" import "$million" "$work/changed.csv")")
  "$tool" export "$million" | change_prices >"$work/changed.csv"
  "$build/bench/csv_to_workbook" "$work/changed.csv" "$work/changed.xlsx"
  xlsxImport=$(better "$xlsxImport" "$(once "$tool" import "$million" "$work/changed.xlsx")")
done
grep -q "^100000 items changed" "$work/out.txt" ||
  fail "the workbook's import did not change 100000 items: $(tail -3 "$work/out.txt")"
# The same rows as a spreadsheet saves them, every text a shared string
# (about 110 MB of them at a million rows), in a dry run.
"$tool" export "$million" | change_prices >"$work/changed.csv"
python3 "$top/bench/spreadsheet-saved.py" "$work/changed.csv" "$work/saved.xlsx" >/dev/null
savedImport=$(once "$tool" import "$million" "$work/saved.xlsx" --dry-run)
grep -q "^dry run: 100000 items would change" "$work/out.txt" ||
  fail "the spreadsheet-saved workbook's dry run did not find 100000 changes: $(tail -3 "$work/out.txt")"
rm -f "$work"/changed.* "$work/stock.xlsx" "$work/saved.xlsx"

# The largest file, when bench.sh has made it.
if [ -f "$data/$largest-random/film.dat" ]; then
  csvLargest= xlsxLargest=
  for _ in $(seq "$runs"); do
    csvLargest=$(better "$csvLargest" "$(once "$tool" export "$data/$largest-random")")
    xlsxLargest=$(better "$xlsxLargest" \
      "$(once "$tool" export "$data/$largest-random" "$work/largest.xlsx")")
  done
  sheets=$(unzip -l "$work/largest.xlsx" | grep -c 'xl/worksheets/sheet')
  rm -f "$work/largest.xlsx"
fi

# An .ods of 100,000 rows, as Calc saves the workbook of the same rows,
# imported beside the same rows as CSV, film.dat put back before each.
odsRow=
if command -v soffice >/dev/null; then
  hundred=$(inventory 100000)
  cp "$hundred/film.dat" "$work/hundred.dat"
  "$tool" export "$hundred" | change_prices >"$work/changed.csv"
  "$build/bench/csv_to_workbook" "$work/changed.csv" "$work/changed.xlsx"
  (cd "$work" && soffice --headless --norestore -env:UserInstallation="file://$work/profile" \
    --convert-to ods changed.xlsx >"$work/soffice.log" 2>&1) ||
    fail "Calc could not save the workbook as .ods: $(tail -3 "$work/soffice.log")"
  csvOds= ods=
  for _ in $(seq "$runs"); do
    cp "$work/hundred.dat" "$hundred/film.dat"
    csvOds=$(better "$csvOds" "$(once "$tool" import "$hundred" "$work/changed.csv")")
    csvSaid=$(tail -1 "$work/out.txt")
    cp "$work/hundred.dat" "$hundred/film.dat"
    ods=$(better "$ods" "$(once "$tool" import "$hundred" "$work/changed.ods")")
    [ "$(tail -1 "$work/out.txt")" = "$csvSaid" ] ||
      fail "the .ods's import differs from the CSV's: $(tail -1 "$work/out.txt"); $csvSaid"
  done
  cp "$work/hundred.dat" "$hundred/film.dat"
  odsRow=$(row "import of an .ods of the 100,000-slot file, ${csvSaid%% *} prices changed" \
    "$ods" "$csvOds" 3.00 "")
fi

echo
echo "## Workbooks beside CSV (best of $runs by wall time, ms; peak memory, MB)"
echo
echo "Load average at the start: $load on $(nproc) processors. CPU is user and system time."
echo
echo "| sheet | workbook ms | CSV ms | wall ratio | workbook CPU ms | CSV CPU ms | CPU ratio | target | workbook peak MB | target MB |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
row "export of 1,000,000 items" "$xlsx" "$csv" 1.50 64
[ -z "${xlsxLargest:-}" ] ||
  row "export of the $largest-slot file ($sheets sheets)" "$xlsxLargest" "$csvLargest" 1.50 64
row "import of 1,000,000 rows, 100,000 prices changed" "$xlsxImport" "$csvImport" 1.50 ""
row "dry run of the same rows as a spreadsheet saves them (shared strings)" "$savedImport" \
  "$csvImport" "" 128
[ -z "$odsRow" ] || echo "$odsRow"
echo
echo "The export writes the sheet's XML (about 610 bytes a row) straight into"
echo "blocks of a megabyte, which threads of their own (one a processor, up to four)"
echo "deflate at zlib's level 1 while the next rows are made, joined into one"
echo "deflate stream: the deflate is two thirds of its CPU time, the rest the CSV"
echo "export's own work. The import reads a sheet on two threads of its own, one"
echo "inflating and one parsing (expat, the most of its CPU time: an .ods holds"
echo "about 1,700 bytes of XML a row), ahead of the decisions; its writes take as"
echo "long as the CSV import's. On two processors with nothing else running, the"
echo "export's wall time is near half its CPU time, and the import's reading of the"
echo "sheet is hidden behind its decisions up to the parse's own time; on a busy"
echo "machine the threads wait for processors that the CSV's one thread does not,"
echo "so that the wall ratio grows while the CPU ratio stays."
