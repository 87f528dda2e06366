#!/usr/bin/env bash
# Makes the hostile workbooks of bench/hostile-workbooks.py and has filmtool
# import each into a small stock with --dry-run, printing what it said, its
# peak memory and time, and whether film.dat stayed byte for byte as it was.
# Each must be refused (or read) in at most 128 MB and 10 s.
#
#   bench/hostile-workbooks.sh [BUILD]     (BUILD defaults to build/host)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/host}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 bench/hostile-workbooks.py "$work/sheets"
mkdir "$work/shop"
"$build/bench/geninv" "$work/shop/film.dat" --slots 200 >/dev/null
before=$(sha256sum <"$work/shop/film.dat")
for sheet in "$work"/sheets/*; do
  /usr/bin/time -f '%M KB peak, %e s' -o "$work/time" \
    "$build/filmtool/filmtool" import "$work/shop" "$sheet" --dry-run >"$work/out" 2>&1 || true
  echo "$(basename "$sheet"): $(tail -n 1 "$work/time")"
  grep -v '^Command exited' "$work/out" | tail -n 1 | cut -c1-200 | sed 's/^/  /'
done
[ "$(sha256sum <"$work/shop/film.dat")" = "$before" ] && echo "film.dat unchanged" || echo "film.dat CHANGED"
