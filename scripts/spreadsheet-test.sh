#!/usr/bin/env bash
# Workbooks through the spreadsheets shops use, headless. filmtool's export
# of a shop whose texts a spreadsheet may take for something else (geninv
# --odd-texts: 0012, 1E5, 1/2, blanks at the ends, _x0041_, control
# characters, a 16-digit number, the code page's letters) is read by a
# strict reader (openpyxl, scripts/strict_read.py) cell for cell as the CSV
# export prints it, and so is the same sheet split over three sheets. It is
# opened in LibreOffice Calc as a double-click opens it, typed into as a
# person types (scripts/calc_typing.py, over UNO), saved as .xlsx and as
# .ods and imported: exactly the typed fields are written, the SKU 0012 as
# text, and what is typed in a row below the export is text too. The same
# export, and the split one, opened and saved unedited, in Calc (.xlsx and
# .ods) and in Gnumeric (ssconvert), change nothing; Gnumeric's .xls and
# .gnumeric are told as what they are.
#   scripts/spreadsheet-test.sh HOST_BUILD
source "$(dirname "$0")/common.sh"
scripts=$(cd "$(dirname "$0")" && pwd)
host=$(cd "$1" && pwd)
filmtool="$host/filmtool/filmtool"
for program in soffice ssconvert; do
  command -v "$program" >/dev/null ||
    fail "$program is missing: run scripts/install-deps.sh spreadsheets"
done
for module in uno openpyxl; do
  /usr/bin/python3 -c "import $module" 2>/dev/null ||
    fail "Python's $module module is missing: run scripts/install-deps.sh spreadsheets"
done

work=$(mktemp -d)
office=
cleanup() {
  [ -z "$office" ] || kill "$office" 2>/dev/null || true
  [ -z "$office" ] || wait "$office" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {
  if [ "$2" = "$3" ]; then
    echo "ok $1"
  else
    echo "FAILED $1: got $(printf %q "$2"), wanted $(printf %q "$3")"
    failures=$((failures + 1))
  fi
}

# A shop's inventory, its odd texts first and a 16-digit item number among
# its items.
mkdir "$work/shop"
"$host/bench/geninv" "$work/shop/film.dat" --slots 40 --deleted 3 --seed 3 --odd-texts >/dev/null
printf 'number,description,price\n1234567890123456,LONG NUMBER,1.00\n' |
  "$filmtool" import "$work/shop" - --add >/dev/null
"$filmtool" export "$work/shop" "$work/stock.xlsx"
"$filmtool" export "$work/shop" >"$work/stock.csv"
"$host/bench/csv_to_workbook" "$work/stock.csv" "$work/split.xlsx" 15
cp "$work/shop/film.dat" "$work/before.dat"

# What a strict reader reads.
for book in stock split; do
  status=0
  said=$(/usr/bin/python3 "$scripts/strict_read.py" "$work/$book.xlsx" "$work/stock.csv" 2>&1) ||
    status=$?
  check "a strict reader reads $book.xlsx as the CSV" "$status" 0
  [ "$status" = 0 ] || echo "$said" | head -20
done

# One Calc for the whole run, in a profile of its own.
pipe="tallo-$$"
soffice --headless --invisible --norestore --nologo --nodefault \
  -env:UserInstallation="file://$work/profile" --accept="pipe,name=$pipe;urp;" \
  >"$work/soffice.log" 2>&1 &
office=$!

# imports NAME FILE: imports FILE and checks that nothing changed.
unchanged() {
  local said
  said=$("$filmtool" import "$work/shop" "$2" 2>&1) || true
  check "$1: import" "$said" "0 items changed"
  cmp -s "$work/before.dat" "$work/shop/film.dat"
  check "$1: film.dat byte for byte" "$?" 0
}
for book in stock split; do
  /usr/bin/python3 "$scripts/calc_typing.py" "$pipe" "$work/$book.xlsx" "$work/calc.xlsx" >/dev/null
  unchanged "$book.xlsx opened and saved in Calc" "$work/calc.xlsx"
  ssconvert "$work/$book.xlsx" "$work/gnumeric.xlsx" >/dev/null 2>&1 ||
    fail "ssconvert could not save $work/$book.xlsx as a workbook"
  unchanged "$book.xlsx opened and saved in Gnumeric" "$work/gnumeric.xlsx"
done

# Gnumeric's own files and its old-style Excel ones are told as what they
# are, with what to do.
ssconvert --export-type=Gnumeric_Excel:excel_biff8 "$work/stock.xlsx" "$work/old.xls" >/dev/null 2>&1 ||
  fail "ssconvert could not save $work/stock.xlsx as an .xls"
ssconvert "$work/stock.xlsx" "$work/own.gnumeric" >/dev/null 2>&1 ||
  fail "ssconvert could not save $work/stock.xlsx in its own format"
said=$("$filmtool" import "$work/shop" "$work/old.xls" 2>&1) || true
check "an .xls is told as one" "$said" "filmtool: $work/old.xls: is an old-style Excel file (.xls, or another program's file of that kind): save it as .xlsx (Excel 2007-365) and bring that back"
said=$("$filmtool" import "$work/shop" "$work/own.gnumeric" 2>&1) || true
check "a .gnumeric is told as compressed" "$said" "filmtool: $work/own.gnumeric: is a compressed file (a Gnumeric workbook, say), not a sheet: save it as .xlsx (Excel 2007-365) and bring that back"

# Typed in Calc: the price of row 2's item, the stock of row 3's, a SKU
# with a leading zero in row 4's (rows as the CSV's lines: the first rows'
# texts hold no line break); and, in a sheet not brought back, a SKU in the
# row below the export's last.
number() { sed -n "$1p" "$work/stock.csv" | cut -d, -f2; }
field() { "$filmtool" export "$work/shop" | awk -F, -v n="$1" -v c="$2" '$2 == n { print $c }'; }
below=$(($(/usr/bin/python3 -c 'import sys, openpyxl
print(openpyxl.load_workbook(sys.argv[1]).active.max_row)' "$work/stock.xlsx") + 1))
typed=$(/usr/bin/python3 "$scripts/calc_typing.py" "$pipe" "$work/stock.xlsx" "$work/below.xlsx" \
  "D$below=0012")
check "Calc keeps a SKU typed below the export as text" "$typed" "D$below: string 0012"
# typed_back FORMAT PRICE STOCK SKU: types them into a fresh export, saves
# it in FORMAT (xlsx or ods) and brings it back.
typed_back() {
  "$filmtool" export "$work/shop" "$work/stock.xlsx"
  "$filmtool" export "$work/shop" >"$work/stock.csv"
  typed=$(/usr/bin/python3 "$scripts/calc_typing.py" "$pipe" "$work/stock.xlsx" "$work/typed.$1" \
    "I2=$2" "E3=$3" "D4=$4")
  check "Calc keeps the SKU typed in its Text column as text" "$(sed -n 3p <<<"$typed")" "D4: string $4"
  "$filmtool" import "$work/shop" "$work/typed.$1" >"$work/typed.out" 2>&1 || true
  written=$(grep -c ' -> ' "$work/typed.out" || true)
  check "typed in Calc, saved as .$1: the fields written" "$written" 3
  check "typed in Calc, saved as .$1: the price" \
    "$(grep "^$(number 2) price:" "$work/typed.out" | sed 's/.*-> //')" "$2"
  check "typed in Calc, saved as .$1: the stock" \
    "$(grep "^$(number 3) in_stock:" "$work/typed.out" | sed 's/.*-> //')" "$3"
  check "typed in Calc, saved as .$1: the SKU, as text" "$(field "$(number 4)" 4)" "$4"
}
typed_back xlsx 2.75 12 0012

# Saved as .ods, Calc's own format, which holds no control characters (Calc
# drops them as it saves): the items that have them are amended to texts
# without them first. Unedited, nothing changes; typed, exactly the typed
# fields are written.
"$filmtool" export "$work/shop" | /usr/bin/python3 -c '
import csv, re, sys
for row in list(csv.reader(sys.stdin))[1:]:
    for field, text in (("description", row[2]), ("sku", row[3])):
        kept = re.sub(r"[\x00-\x08\x0b-\x1f]", "", text)
        if kept != text:
            print(row[1], field + "=" + kept)' |
  while read -r item assignment; do
    "$filmtool" amend "$work/shop" "$item" "$assignment" >/dev/null
  done
"$filmtool" export "$work/shop" "$work/stock.xlsx"
cp "$work/shop/film.dat" "$work/before.dat"
/usr/bin/python3 "$scripts/calc_typing.py" "$pipe" "$work/stock.xlsx" "$work/calc.ods" >/dev/null
unchanged "saved as .ods in Calc" "$work/calc.ods"
typed_back ods 3.25 13 0013
echo "spreadsheets: a strict reader read every cell; 3 fields typed in Calc as .xlsx and as .ods, each written; unedited saves of Calc (.xlsx, .ods) and Gnumeric changed nothing"
[ "$failures" = 0 ] || fail "$failures of the spreadsheet checks failed"
