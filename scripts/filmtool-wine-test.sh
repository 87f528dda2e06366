#!/usr/bin/env bash
# filmtool.exe under Wine beside the host's filmtool, on inventories that
# geninv makes: every report prints the same bytes, every change leaves the
# same film.dat, and a refused import leaves film.dat as it was.
#   scripts/filmtool-wine-test.sh HOST_BUILD WIN_BUILD
source "$(dirname "$0")/common.sh"
host=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
source "$(dirname "$0")/wine-common.sh"
wine_for_build "$win"
wine_can_start || skip "$WINE_REFUSAL: the $BUILD_BITS-bit filmtool.exe comparison is skipped"

wine_template "$win"
prefix=$(wine_fresh_prefix "$win")
trap 'wine_cleanup "$prefix"' EXIT
unset DISPLAY
work="$prefix/drive_c/filmtool-test"
mkdir -p "$work"
cp "$win/filmtool/filmtool.exe" "$work/"
failures=0

# Runs one command line on both, each on its own copy of the folder, and
# compares exit status, output, messages (paths written alike) and film.dat.
# Standard input comes from the file $input names, or is empty.
both() {
  local name="$1"
  shift
  local unix=() windows=()
  for word in "$@"; do
    unix+=("${word//@/$work/h}")
    windows+=("${word//@/C:\\filmtool-test\\w}")
  done
  local hs=0 ws=0
  "$host/filmtool/filmtool" "${unix[@]}" <"${input:-/dev/null}" >"$work/h.out" 2>"$work/h.err" || hs=$?
  WINEPREFIX="$prefix" "$WINE" "$work/filmtool.exe" "${windows[@]}" <"${input:-/dev/null}" \
    >"$work/w.out" 2>"$work/w.err" || ws=$?
  sed -i "s|$work/h/|DIR/|g; s|$work/h|DIR|g" "$work/h.err" "$work/h.out"
  sed -i 's|C:\\filmtool-test\\w\\|DIR/|g; s|C:\\filmtool-test\\w|DIR|g' "$work/w.err" "$work/w.out"
  if [ "$hs" != "$ws" ] || ! cmp -s "$work/h.out" "$work/w.out" ||
    ! cmp -s "$work/h.err" "$work/w.err" || ! cmp -s "$work/h/film.dat" "$work/w/film.dat"; then
    echo "FAILED $name: exit $hs / $ws"
    diff "$work/h.out" "$work/w.out" | head -5 || true
    diff "$work/h.err" "$work/w.err" | head -5 || true
    cmp "$work/h/film.dat" "$work/w/film.dat" || true
    failures=$((failures + 1))
  else
    echo "ok $name"
  fi
}

for shape in "600 random 25" "3000 desc 0" "1 asc 0"; do
  read -r slots order deleted <<<"$shape"
  rm -rf "$work/h" "$work/w"
  mkdir -p "$work/h"
  "$host/bench/geninv" "$work/h/film.dat" --slots "$slots" --order "$order" \
    --deleted "$deleted" --seed 11 >/dev/null
  cp -r "$work/h" "$work/w"
  for report in stats index prefix check export "export --all"; do
    # shellcheck disable=SC2086
    both "$slots $order: $report" $report @
  done
  # A price list from the export, changed, brought back; then the same again.
  "$host/filmtool/filmtool" export "$work/h" | awk -F, 'NR == 1 { print "number,price,tax,description"; next }
    NR % 7 == 0 { print $2 "," NR % 90 ".5,1 and 2,\"Caf\xc3\xa9 " NR "\"" }' >"$work/list.csv"
  cp "$work/list.csv" "$work/h/list.csv"
  cp "$work/list.csv" "$work/w/list.csv"
  # Without version marks its prices differ from film.dat's: refused, then
  # written with --overwrite.
  both "$slots $order: import without --overwrite" import @ @/list.csv
  both "$slots $order: import --dry-run" import @ @/list.csv --dry-run --overwrite
  both "$slots $order: import" import @ @/list.csv --overwrite
  both "$slots $order: amend" amend @ 1 "description=new name" in_stock=12 tax=Non
  both "$slots $order: delete" delete @ 1
  # Workbooks: each exports its own, and each brings back the other's,
  # which changes nothing.
  both "$slots $order: export a workbook" export @ @/stock.xlsx
  cp "$work/w/stock.xlsx" "$work/h/theirs.xlsx"
  cp "$work/h/stock.xlsx" "$work/w/theirs.xlsx"
  both "$slots $order: the other's workbook brought back" import @ @/theirs.xlsx
  # Refused whole: a bad value on the last line, nothing written.
  { cat "$work/list.csv"; echo "2,abc,0,x"; } >"$work/h/bad.csv"
  cp "$work/h/bad.csv" "$work/w/bad.csv"
  cp "$work/h/film.dat" "$work/before.dat"
  both "$slots $order: refused import" import @ @/bad.csv --overwrite
  cmp -s "$work/before.dat" "$work/w/film.dat" || { echo "FAILED: the refusal changed film.dat"; failures=$((failures + 1)); }
  # Every export comes back: export --all, deleted slots and all, unchanged.
  "$host/filmtool/filmtool" export "$work/h" --all >"$work/h/all.csv"
  cp "$work/h/all.csv" "$work/w/all.csv"
  both "$slots $order: export --all brought back" import @ @/all.csv
  cmp -s "$work/before.dat" "$work/w/film.dat" || { echo "FAILED: export --all brought back changed film.dat"; failures=$((failures + 1)); }
  # Standard input is read as bytes: a Ctrl+Z byte is no end of the sheet.
  printf 'number,price\r\n1,7.25\r\n\032,1\r\n' >"$work/ctrl-z.csv"
  input="$work/ctrl-z.csv" both "$slots $order: a Ctrl+Z byte on standard input" import @ -
done
# A new shop's first sheet: the fresh film.dat made, its item 1 taking the
# sheet's first row.
rm -rf "$work/h" "$work/w"
mkdir -p "$work/h"
printf 'number,description,price,in_stock\r\n1,Kettle,19.99,3\r\n2,Mug,4.00,6\r\n' >"$work/h/first.csv"
cp -r "$work/h" "$work/w"
both "a new shop: import --add" import @ @/first.csv --add
both "no such folder" stats @/nowhere

# Texts in the handheld's code pages: Japanese (932, two bytes to most
# characters) and Russian (1251). Arguments reach filmtool.exe as UTF-8.
export LC_ALL=C.UTF-8
for page in 932 1251; do
  rm -rf "$work/h" "$work/w"
  mkdir -p "$work/h"
  "$host/bench/geninv" "$work/h/film.dat" --slots 400 --order random --deleted 9 \
    --codepage "$page" --seed 5 >/dev/null
  cp -r "$work/h" "$work/w"
  cp "$work/h/film.dat" "$work/before.dat"
  for report in check export "export --all"; do
    # shellcheck disable=SC2086
    both "$page: $report" $report @ --codepage "$page"
  done
  FILMTOOL_CODEPAGE=$page both "$page: export, the code page from the variable" export @
  # An export brought back unchanged changes no byte.
  "$host/filmtool/filmtool" export "$work/h" --codepage "$page" >"$work/sheet.csv"
  cp "$work/sheet.csv" "$work/h/sheet.csv"
  cp "$work/sheet.csv" "$work/w/sheet.csv"
  both "$page: unchanged import" import @ @/sheet.csv --codepage "$page"
  cmp -s "$work/before.dat" "$work/w/film.dat" ||
    { echo "FAILED $page: an unchanged import changed film.dat"; failures=$((failures + 1)); }
  # 38 characters and more: in code page 932, 76 bytes and a terminator.
  case $page in
    932) text=$(printf '寿司セット表%.0s' 1 2 3 4 5 6 7) ;;
    *) text="полотенце для рук, махровое, белое, 50 на 90" ;;
  esac
  both "$page: amend" amend @ 2 "description=$text" "sku=Ёлка" --codepage "$page"
  both "$page: a character the code page lacks" amend @ 3 "description=Ā ok" --codepage "$page"
done
# Letters that Windows raises otherwise than the C library does (µ, ı, ſ,
# final sigma, Greek symbol forms, title-case digraphs, letters beyond the
# BMP), and letters whose capital the code page lacks (ƒ, é in 1256, ⓐ in
# 949): the same bytes stored, the same refusal, naming what was typed.
rm -rf "$work/h" "$work/w"
mkdir -p "$work/h"
"$host/bench/geninv" "$work/h/film.dat" --slots 3 --seed 3 >/dev/null
cp -r "$work/h" "$work/w"
for page in 1252 1254 1253 1251 932 1256 949; do
  for text in "abµ" "ıi" "ſs" "ςσ ϐϑ" "ǆǅǄ" "xƒ" "xé" "xⓐ" "x𐐨"; do
    both "$page: amend to $text" amend @ 2 "description=$text" --codepage "$page"
  done
done
# Every pair of bytes, under every code page of the handheld.
rm -rf "$work/h" "$work/w"
mkdir -p "$work/h"
"$host/bench/geninv" "$work/h/film.dat" --slots 820 --byte-pairs >/dev/null
cp -r "$work/h" "$work/w"
for page in 874 932 936 949 950 1250 1251 1252 1253 1254 1255 1256 1257 1258; do
  both "byte pairs in $page: export" export @ --codepage "$page"
  both "byte pairs in $page: check" check @ --codepage "$page"
done
both "a code page refused" export @ --codepage 437
# Workbooks into folders and under names with letters beyond ASCII (a
# profile such as C:\Users\Jürgen, a Japanese name), under the Western
# code page and the Japanese one, so that each name is once in the system's
# code page and once beyond it: the workbook lands whole under its own name,
# the host's filmtool and filmtool.exe read it back unchanged, and no part is
# left.
rm -rf "$work/h" "$work/w"
mkdir -p "$work/w"
"$host/bench/geninv" "$work/w/film.dat" --slots 200 --order random --seed 9 >/dev/null
japanese=$(wine_locale "$win" ja_JP.UTF-8)
for locale in C.UTF-8 ja_JP.UTF-8; do
  locales=()
  [ "$locale" = C.UTF-8 ] || locales=("LOCPATH=$japanese")
  for name in 'Jürgen\stöck.xlsx' '日本語\在庫.xlsx' 'Jürgen\在庫 stöck.xlsx'; do
    folder=${name%%\\*}
    file=${name#*\\}
    rm -rf "${work:?}/w/$folder"
    mkdir -p "$work/w/$folder"
    status=0
    env "${locales[@]}" LC_ALL="$locale" WINEPREFIX="$prefix" "$WINE" "$work/filmtool.exe" \
      export 'C:\filmtool-test\w' "C:\\filmtool-test\\w\\$name" >"$work/w.out" 2>"$work/w.err" ||
      status=$?
    back=0
    "$host/filmtool/filmtool" import "$work/w" "$work/w/$folder/$file" --dry-run >"$work/h.out" \
      2>"$work/h.err" || back=$?
    # And filmtool.exe takes it back from there.
    env "${locales[@]}" LC_ALL="$locale" WINEPREFIX="$prefix" "$WINE" "$work/filmtool.exe" \
      import 'C:\filmtool-test\w' "C:\\filmtool-test\\w\\$name" --dry-run >>"$work/h.out" \
      2>>"$work/h.err" || back=$?
    left=$(find "$work/w/$folder" -name '*.part' | wc -l)
    if [ "$status" != 0 ] || [ "$back" != 0 ] || [ "$left" != 0 ] ||
      [ "$(grep -cx "dry run: 0 items would change; nothing written" "$work/h.out")" != 2 ]; then
      echo "FAILED $locale: export into $name: exit $status, $left parts left: $(head -2 "$work/w.err")"
      head -2 "$work/h.err"
      failures=$((failures + 1))
    else
      echo "ok $locale: export into $name"
    fi
  done
  WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null || true
  WINEPREFIX="$prefix" timeout 20 "$WINESERVER" -w 2>/dev/null || true
done
[ "$failures" -eq 0 ] || { echo "$failures filmtool.exe checks failed"; exit 1; }
echo "filmtool.exe: every check agreed with the host's filmtool"
