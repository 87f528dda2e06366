#!/usr/bin/env bash
# Takes the user guide's pictures from the real program: the screenshot
# driver (docs/screenshots/) walks tallo.exe and the back-office window
# filmdesk.exe through their windows under Wine
# and a private Xvfb, over the sample inventory of `make run`, and each
# window is photographed cropped to its frame.
#   scripts/screenshots.sh [OUT_DIR]     default: docs/
source "$(dirname "$0")/common.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/win"
out="${1:-$top/docs}"
mkdir -p "$out"
out=$(cd "$out" && pwd)
source "$top/scripts/wine-common.sh"

wine_template "$build"
prefix=$(wine_fresh_prefix "$build")
trap 'wine_cleanup "$prefix"' EXIT
xvfb_start 1280x1024

work="$prefix/drive_c/tallo-shots"
mkdir -p "$work"
cp "$build/app/tallo.exe" "$build/docs/screenshots/screenshots.exe" "$build/desk/filmdesk.exe" \
  "$build/filmtool/filmtool.exe" "$work/"
"$top/build/host/bench/geninv" "$work/sample.dat" --slots 400 --order random --deleted 12 \
  --seed 42 >/dev/null
cd "$work"

# shoot [SUFFIX]: runs the driver, taking each picture it asks for.
shoot() {
  WINEPREFIX="$prefix" timeout 300 "$WINE" screenshots.exe 'C:\tallo-shots\tallo.exe' "$@" |
    while IFS= read -r line; do
      line=${line%$'\r'}
      read -r word name x0 y0 x1 y1 <<<"$line"
      if [ "$word" != shot ]; then
        echo "$line"
        continue
      fi
      # -strip leaves out the time stamps, so an unchanged window gives an
      # unchanged file.
      import -display "$DISPLAY" -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage \
        -strip "$out/$name.png"
      touch "$work/$name.done"
      echo "$out/$name.png"
    done
}
shoot

# The back-office window again at 144 DPI (150 %), on a desktop large
# enough for it: every text must still fit.
WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null || true
WINEPREFIX="$prefix" timeout 20 "$WINESERVER" -w 2>/dev/null || true
rm -f "$work"/*.done
for key in 'HKCU\Control Panel\Desktop' \
  'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
  WINEPREFIX="$prefix" "$WINE" reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
done
WINEPREFIX="$prefix" "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
  /d 1200x950 /f >/dev/null 2>&1
WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null || true
WINEPREFIX="$prefix" timeout 20 "$WINESERVER" -w 2>/dev/null || true
shoot -144
