#!/usr/bin/env bash
# Starts tallo.exe under Wine with run/ as its folder. The first use seeds
# run/film.dat with a sample inventory. Without a display it runs under a
# private Xvfb, saves screenshots in run/ and ends the program.
source "$(dirname "$0")/common.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/win"
source "$top/scripts/wine-common.sh"

mkdir -p "$top/run"
if [ ! -f "$top/run/film.dat" ]; then
  "$top/build/host/bench/geninv" "$top/run/film.dat" --slots 400 --order random --deleted 12 --seed 42
  echo "Seeded run/film.dat with a sample inventory of 400 slots."
fi

wine_template "$build"
export WINEPREFIX="$build/wine-run-prefix"
if [ ! -d "$WINEPREFIX" ]; then
  cp -a "$build/wine-template" "$WINEPREFIX"
  rm -f "$WINEPREFIX/wineserver" "$WINEPREFIX/.ready"
fi
cd "$top/run"

if [ -n "${DISPLAY:-}" ]; then
  exec "$WINE" "$build/app/tallo.exe"
fi

# Headless: show the main window and a dialog, take their pictures, end.
trap '"$WINESERVER" -k 2>/dev/null || true; [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true' EXIT
xvfb_start
"$WINE" "$build/app/tallo.exe" &
sleep 4
shot() { import -display "$DISPLAY" -window root -crop 800x600+0+0 +repage "$top/run/$1"; }
shot screenshot-main.png
# "Find", the answer R, and the first match in the search-result dialog.
xdotool mousemove 70 67 click 1 && sleep 1 && xdotool type r && xdotool key Return && sleep 2
shot screenshot-dialog.png
echo "No display: saved run/screenshot-main.png and run/screenshot-dialog.png."
"$WINESERVER" -k 2>/dev/null || true
