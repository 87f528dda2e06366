#!/usr/bin/env bash
# The Windows program's start-up under Wine: launch to visible main window
# with a one-record inventory (Wine's own start) and with the largest
# inventories of build/bench-data, beside a plain sequential ReadFile of the
# same files in a process of its own (the floor there). Prints a markdown
# section for bench/README.md.
#   scripts/bench-wine.sh [SIZES] [RUNS]   e.g. scripts/bench-wine.sh 1000000,2291796 5
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/win"
data="$top/build/bench-data"
sizes=${1:-1000000,2291796}
runs=${2:-5}
source "$top/scripts/wine-common.sh"

wine_template "$build"
prefix=$(wine_fresh_prefix "$build")
trap 'wine_cleanup "$prefix"' EXIT
xvfb_start
export WINEPREFIX="$prefix"

work="$prefix/drive_c/startup"
mkdir -p "$work/one"
"$top/build/host/bench/geninv" "$work/one/film.dat" --slots 1 --seed 7
cp "$build/app/tallo.exe" "$build/bench/wine/startup_timer.exe" "$work/"
win() { echo "Z:${1//\//\\}"; }  # a host path as Wine's Z: drive sees it
timer() { (cd "$work" && "$WINE" startup_timer.exe "$@" 2>/dev/null) | tr -d '\r' | tail -1; }
median() { sed 's/.*median //'; }

"$WINE" wineboot >/dev/null 2>&1 || true  # the wineserver up before the first timing
one=$(timer window 'C:\startup\tallo.exe' 'C:\startup\one' "$runs" | median)
echo "## Start-up of the Windows program under Wine"
echo
echo "Launch to visible main window (\`scripts/bench-wine.sh\`, \`bench/wine/startup_timer.cpp\`),"
echo "median of $runs runs, page cache warm. The floor is a process of its own that reads the"
echo "same file with ReadFile in 1 MiB reads into page-aligned memory, from its launch to its"
echo "exit; with one record the program shows Wine's own start ($one ms here)."
echo
echo "The last column is the first touch of a fresh index of that many slots (18 bytes a"
echo "slot, zero-filled heap blocks, written once), which the program pays and the floor"
echo "does not: Wine maps such blocks in 4 KiB pages, each taking a page fault at its first"
echo "write."
echo
echo "| slots | tallo.exe ms | floor ms | tallo / floor | tallo beyond one record ms | floor beyond its own start ms | index first touch ms |"
echo "|---:|---:|---:|---:|---:|---:|---:|"
empty=$(timer read "$(win "$work/one/film.dat")" "$runs" | median)
for n in ${sizes//,/ }; do
  film="$data/$n-random/film.dat"
  [ -f "$film" ] || continue
  mkdir -p "$work/$n"
  ln -sf "$film" "$work/$n/film.dat"
  cat "$film" >/dev/null
  t=$(timer window 'C:\startup\tallo.exe' "C:\\startup\\$n" "$runs" | median)
  f=$(timer read "$(win "$film")" "$runs" | median)
  touch=$(timer touch "$n" "$runs" | median)
  echo "| $n | $t | $f | $(awk "BEGIN{printf \"%.2f\", $t/$f}") | $((t - one)) | $((f - empty)) | $touch |"
done
