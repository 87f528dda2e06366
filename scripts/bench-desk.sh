#!/usr/bin/env bash
# The back-office window's export and review beside filmtool's, over the
# 1,000,000-slot inventory (random order) of build/bench-data: the window's
# steps as its worker thread runs them (bench/desk_steps, the same DeskWork
# filmdesk.exe runs, with its progress counter) beside `filmtool export` to
# a workbook and `filmtool import --dry-run` of the same edited workbook
# (100,000 prices a cent up). Wall time and peak resident memory from
# /usr/bin/time, the best of RUNS runs by wall time (with its CPU time,
# user and system, which a busy machine disturbs less), the two taking turns. Prints a
# markdown section for bench/README.md.
#   scripts/bench-desk.sh [RUNS]   default 2
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/bench-timing.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/host"
data="$top/build/bench-data"
runs=${1:-2}
n=1000000
dir="$data/$n-random"
tool="$build/filmtool/filmtool"
desk="$build/bench/desk_steps"
work="$data/desk"

if [ "$(stat -c %s "$dir/film.dat" 2>/dev/null || echo 0)" != $((n * 1874)) ]; then
  mkdir -p "$dir"
  "$build/bench/geninv" "$dir/film.dat" --slots "$n" --order random --deleted $((n / 100)) \
    --seed 7 >/dev/null
fi
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT


# The edited workbook: every 9th row of an export, up to 100,000, with its
# price a cent up.
"$tool" export "$dir" | awk -F, 'BEGIN { OFS = "," }
  NR > 1 && n < 100000 && NR % 9 == 0 { n++; $9 = sprintf("%.2f", $9 + 0.01) } { print }' \
  >"$work/changed.csv"
"$build/bench/csv_to_workbook" "$work/changed.csv" "$work/changed.xlsx"
rm "$work/changed.csv"

load=$(cut -d' ' -f1 /proc/loadavg)
toolExport= deskExport= toolReview= deskReview=
for _ in $(seq "$runs"); do
  toolExport=$(better "$toolExport" "$(once "$tool" export "$dir" "$work/tool.xlsx")")
  deskExport=$(better "$deskExport" "$(once "$desk" export "$dir" "$work/desk.xlsx")")
  toolReview=$(better "$toolReview" "$(once "$tool" import "$dir" "$work/changed.xlsx" --dry-run)")
  deskReview=$(better "$deskReview" "$(once "$desk" review "$dir" "$work/changed.xlsx")")
  grep -q "^100000 items to change" "$work/out.txt" ||
    fail "the window's review did not find 100000 items to change: $(head -3 "$work/out.txt")"
done
cmp -s <(unzip -p "$work/tool.xlsx" xl/worksheets/sheet1.xml) \
  <(unzip -p "$work/desk.xlsx" xl/worksheets/sheet1.xml) ||
  fail "the window's workbook is not filmtool's"

row() {  # name, "ms cpu-ms kb" of filmtool's and of the window's
  local tms tcpu tkb dms dcpu dkb
  read -r tms tcpu tkb <<<"$2"
  read -r dms dcpu dkb <<<"$3"
  echo "| $1 | $tms | $dms | $(awk "BEGIN{printf \"%.2f\", $dms/$tms}") | $tcpu | $dcpu |" \
    "$((tkb / 1024)) | $((dkb / 1024)) |"
}
echo
echo "## The back-office window's export and review beside filmtool's (1,000,000 slots; best of $runs; peak memory, MB)"
echo
echo "The window's steps as its worker thread runs them (\`bench/desk_steps\`), beside"
echo "\`filmtool export DIR FILE.xlsx\` and \`filmtool import DIR FILE.xlsx --dry-run\` of"
echo "the same edited workbook (100,000 prices a cent up). The review keeps every row"
echo "it shows (item, description, field, old and new value) for its list."
echo
echo "Load (1-minute average) at the start: $load."
echo
echo "| step | filmtool ms | window ms | window / filmtool | filmtool CPU ms | window CPU ms | filmtool peak MB | window peak MB |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|"
row "export to a workbook" "$toolExport" "$deskExport"
row "review of 100,000 changes" "$toolReview" "$deskReview"
