#!/usr/bin/env bash
# Runs the GUI test driver against tallo.exe and the back-office window
# (filmdesk.exe) under Wine, headless: 64-bit or
# 32-bit Wine, as the build is.
#   scripts/gui-test.sh BUILD_DIR [NAME-PART]
# A fresh copy of the template prefix per run, a private Xvfb, and a cleanup
# that ends only this run's wineserver and Xvfb.
source "$(dirname "$0")/common.sh"
build=$(cd "$1" && pwd)
filter=${2:-}
source "$(dirname "$0")/wine-common.sh"
wine_for_build "$build"
wine_can_start || skip "$WINE_REFUSAL: the $BUILD_BITS-bit GUI tests are skipped"

wine_template "$build"
prefix=$(wine_fresh_prefix "$build")
trap 'wine_cleanup "$prefix"' EXIT
xvfb_start

# Drive E: (removable, from the template's registry) stands for the storage
# card; its root is C:\tallo-test\card.
work="$prefix/drive_c/tallo-test"
mkdir -p "$work/card"
ln -sfn "$work/card" "$prefix/dosdevices/e:"
# The back-office window beside it, and filmtool.exe as the handheld's
# stand-in in its tests.
cp "$build/app/tallo.exe" "$build/tests/gui/gui_tests.exe" "$build/desk/filmdesk.exe" \
  "$build/filmtool/filmtool.exe" "$work/"
cd "$work"
# Each test runs under the code page it names: Western (1252) first, then
# Japanese (932), a double-byte one. The server goes between the two, so that
# nothing started under the one locale serves the other.
japanese=$(wine_locale "$build" ja_JP.UTF-8)
status=0
for locale in C.UTF-8 ja_JP.UTF-8; do
  echo "GUI tests with the system's code page of $locale"
  locales=()
  [ "$locale" = C.UTF-8 ] || locales=("LOCPATH=$japanese")
  env "${locales[@]}" LC_ALL="$locale" WINEPREFIX="$prefix" timeout 900 "$WINE" gui_tests.exe \
    'C:\tallo-test\tallo.exe' $filter || status=1
  WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null || true
  WINEPREFIX="$prefix" timeout 20 "$WINESERVER" -w 2>/dev/null || true
done
exit "$status"
