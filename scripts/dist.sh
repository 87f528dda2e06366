#!/usr/bin/env bash
# Makes the release zip from a Windows build and checks what is in it:
#   scripts/dist.sh BUILD_DIR      ->  dist/tallo-VERSION-windows-x64.zip
# tallo.exe (stripped, importing only system DLLs, with its version
# resource), guide.html and LICENSE; then the tallo.exe from the zip is
# started under Wine in an empty folder, must make a fresh one-item
# film.dat there, and end cleanly through "Exit".
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
source "$top/scripts/wine-common.sh"

fail() {
  echo "dist: $*" >&2
  exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
name="tallo-$version-windows-x64"

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
for file in tallo.exe guide.html LICENSE; do
  [ -s "$unpacked/$name/$file" ] || fail "$file is missing from the zip"
done
if x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_'; then fail "tallo.exe is not stripped"; fi
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | sort -f | xargs)
for dll in $dlls; do
  case "${dll,,}" in
    kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | shell32.dll | comctl32.dll) ;;
    *) fail "tallo.exe imports $dll, which is no system DLL" ;;
  esac
done
IFS=. read -r major minor patch <<<"$version"
x86_64-w64-mingw32-windres -i "$exe" -O rc 2>/dev/null |
  grep -q "FILEVERSION $major, $minor, $patch, 0" || fail "tallo.exe has no version resource $version"

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

printf '%s: %s bytes; tallo.exe %s bytes, imports %s\n' "dist/$name.zip" "$(stat -c %s "$zip")" \
  "$(stat -c %s "$exe")" "$dlls"
