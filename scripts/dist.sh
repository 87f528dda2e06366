#!/usr/bin/env bash
# Makes the release zip from a Windows build and checks what is in it:
#   scripts/dist.sh BUILD_DIR      ->  dist/tallo-VERSION-windows-ARCH.zip
# ARCH is x64 or x86, as the build is. The programs (stripped, built for
# that machine, importing only system DLLs, with their version resource),
# guide.html and LICENSE.txt; then the tallo.exe from the zip is started under
# Wine (64-bit or 32-bit, as the build is) in an empty folder, must make a
# fresh one-item film.dat there, and end cleanly through "Exit".
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
source "$top/scripts/wine-common.sh"
wine_for_build "$build"

fail() {
  echo "dist: $*" >&2
  exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[ -n "$name" ] || fail "no package name in $build/CPackConfig.cmake"
# The zip's programs (cmake/dist.cmake installs them) and the machine they
# are built for: 8664 for x64, 14c for x86 (the PE header's machine type).
programs=(tallo.exe filmtool.exe)
case "$name" in
  *-x64) machine=8664 tools=x86_64-w64-mingw32 ;;
  *-x86) machine=14c tools=i686-w64-mingw32 ;;
  *) fail "$name names no Windows machine" ;;
esac

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
for file in "${programs[@]}" guide.html LICENSE.txt; do
  [ -s "$unpacked/$name/$file" ] || fail "$file is missing from the zip"
done
IFS=. read -r major minor patch <<<"$version"
imports=()
for program in "${programs[@]}"; do
  path="$unpacked/$name/$program"
  [ "$(pe_machine "$path")" = "$machine" ] || fail "$program is not built for ${name##*-}"
  if "$tools-objdump" -h "$path" | grep -q '\.debug_'; then fail "$program is not stripped"; fi
  dlls=$("$tools-objdump" -p "$path" | sed -n 's/^\s*DLL Name: //p' | sort -f | xargs)
  for dll in $dlls; do
    case "${dll,,}" in
      kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | shell32.dll | comctl32.dll) ;;
      *) fail "$program imports $dll, which is no system DLL" ;;
    esac
  done
  "$tools-windres" -i "$path" -O rc 2>/dev/null |
    grep -q "FILEVERSION $major, $minor, $patch, 0" || fail "$program has no version resource $version"
  imports+=("$program imports $dlls")
done

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

printf '%s: %s bytes; tallo.exe %s bytes; %s\n' "dist/$name.zip" "$(stat -c %s "$zip")" \
  "$(stat -c %s "$exe")" "$(IFS=';' && echo "${imports[*]}")"
