#!/usr/bin/env bash
# Runs the benchmarks and rewrites bench/README.md with their table.
#   scripts/bench.sh [SIZES]   e.g. scripts/bench.sh 10000,100000
# Inventories come from geninv into build/bench-data (made once, kept).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/host"
data="$top/build/bench-data"
sizes=${1:-10000,100000,1000000}

for n in ${sizes//,/ }; do
  for order in ascending random descending; do
    dir="$data/$n-$order"
    want=$((n * 1874))
    if [ "$(stat -c %s "$dir/film.dat" 2>/dev/null || echo 0)" != "$want" ]; then
      mkdir -p "$dir"
      case $order in ascending) o=asc ;; descending) o=desc ;; *) o=random ;; esac
      echo "Generating $n slots, $order..."
      "$build/bench/geninv" "$dir/film.dat" --slots "$n" --order "$o" --deleted $((n / 100)) --seed 7
    fi
  done
done

table="$top/bench/README.md"
"$build/bench/tallo_bench" --data "$data" --sizes "$sizes" --table "$table" --benchmark_color=false

# Peak memory of a whole start-up at the largest size.
largest=${sizes##*,}
peak=$(/usr/bin/time -f %M "$build/tools/filmtool" stats "$data/$largest-random" 2>&1 >/dev/null | tail -1)
{
  echo
  echo "## Peak memory"
  echo
  echo "\`filmtool stats\` on the $largest-slot file (random order), \`/usr/bin/time\`: maximum"
  echo "resident set ${peak} KB. The index and prefix table take 18 bytes a slot,"
  echo "$(( (largest + 200) * 18 / 1024 )) KB here; the file is never held whole."
} >>"$table"
cat "$table"
