#!/usr/bin/env bash
# Makes the release zip from a Windows build and checks what is in it:
#   scripts/dist.sh BUILD_DIR      ->  dist/tallo-VERSION-windows-ARCH.zip
# ARCH is x64 or x86, as the build is. The programs (stripped, built for
# that machine, importing only system DLLs, with their version resource),
# guide.html and LICENSE.txt (scripts/pe-check.sh); then the tallo.exe from
# the zip is started under Wine (64-bit or 32-bit, as the build is) in an
# empty folder, must make a fresh one-item film.dat there, and end cleanly
# through "Exit". A machine that cannot start the 32-bit Wine checks the x86
# zip without starting it, and says so. filmtool.exe and filmdesk.exe are
# started in an empty folder too.
source "$(dirname "$0")/common.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
source "$top/scripts/wine-common.sh"
wine_for_build "$build"

name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$name" ] || fail "no package name in $build/CPackConfig.cmake"
# The zip's programs (cmake/dist.cmake installs them).
programs=(tallo.exe filmtool.exe filmdesk.exe)

cmake --build "$build" --target guide >/dev/null
(cd "$build" && cpack -G ZIP >/dev/null)
mkdir -p "$top/dist"
cp "$build/$name.zip" "$top/dist/"
zip="$top/dist/$name.zip"

# What is inside.
unpacked=$(mktemp -d "$build/dist-check.XXXXXX")
prefix=
trap 'wine_cleanup "$prefix"; rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$zip")
exe="$unpacked/$name/tallo.exe"
for file in "${programs[@]}" guide.html LICENSE.txt licenses/README.txt licenses/expat.txt \
  licenses/minizip.txt licenses/zlib.txt; do
  [ -s "$unpacked/$name/$file" ] || fail "$file is missing from the zip"
done
imports=$("$top/scripts/pe-check.sh" "$build" --stripped "${programs[@]/#/$unpacked/$name/}" | paste -sd ';')
summary() {
  printf '%s: %s bytes; tallo.exe %s bytes; %s\n' "dist/$name.zip" "$(stat -c %s "$zip")" \
    "$(stat -c %s "$exe")" "$imports"
}
if ! wine_can_start; then
  summary
  echo "$WINE_REFUSAL: the $BUILD_BITS-bit zip's programs are checked but not started"
  exit 0
fi

# It starts from an empty folder and makes its fresh inventory there.
wine_template "$build"
prefix=$(wine_fresh_prefix "$build")
xvfb_start
folder="$prefix/drive_c/fresh"
mkdir -p "$folder"
cp "$exe" "$prefix/drive_c/tallo.exe"
(cd "$folder" && WINEPREFIX="$prefix" exec timeout 60 "$WINE" 'C:\tallo.exe') &
running=$!
for _ in $(seq 300); do
  [ "$(stat -c %s "$folder/film.dat" 2>/dev/null)" = 1874 ] && break
  sleep 0.1
done
[ "$(stat -c %s "$folder/film.dat" 2>/dev/null)" = 1874 ] || fail "no fresh 1874-byte film.dat"
sleep 1
# "Exit" in the menu bar, at the top left of the main window (which Wine
# places at the top left of its desktop).
xdotool mousemove 17 32 click 1
status=0
wait "$running" || status=$?
[ "$status" = 0 ] || fail "tallo.exe ended with $status"
[ "$(stat -c %s "$folder/tallo.cfg" 2>/dev/null)" = 42550 ] || fail "no 42550-byte tallo.cfg at exit"

# filmtool.exe from the zip, in an empty folder: its usage, and a report that
# says there is no film.dat and makes none.
empty="$prefix/drive_c/empty"
mkdir -p "$empty"
cp "$unpacked/$name/filmtool.exe" "$prefix/drive_c/filmtool.exe"
WINEPREFIX="$prefix" timeout 60 "$WINE" 'C:\filmtool.exe' --help | grep -q '^usage: filmtool' ||
  fail "filmtool.exe --help printed no usage"
said=$(WINEPREFIX="$prefix" timeout 60 "$WINE" 'C:\filmtool.exe' stats 'C:\empty' 2>&1 >/dev/null) &&
  fail "filmtool.exe stats succeeded on an empty folder"
[ "$said" = 'filmtool: C:\empty\film.dat: no such file' ] || fail "filmtool.exe said: $said"
[ ! -e "$empty/film.dat" ] || fail "filmtool.exe made a film.dat"

# filmdesk.exe from the zip, with no settings yet: it starts, makes its
# settings folder in the user's profile, shows its window, and ends through
# Alt+F4 with 0, having written no settings it was not given.
cp "$unpacked/$name/filmdesk.exe" "$prefix/drive_c/filmdesk.exe"
profile="$prefix/drive_c/users/$(id -un)/AppData/Roaming/tallo"
(cd "$empty" && WINEPREFIX="$prefix" exec timeout 60 "$WINE" 'C:\filmdesk.exe') &
running=$!
for _ in $(seq 300); do
  [ -d "$profile" ] && break
  sleep 0.1
done
[ -d "$profile" ] || fail "filmdesk.exe made no settings folder in the profile"
sleep 1
xdotool key alt+F4
status=0
wait "$running" || status=$?
[ "$status" = 0 ] || fail "filmdesk.exe ended with $status"
[ ! -e "$profile/filmdesk.ini" ] || fail "filmdesk.exe wrote settings it was not given"
[ ! -e "$empty/film.dat" ] || fail "filmdesk.exe made a film.dat"

summary
