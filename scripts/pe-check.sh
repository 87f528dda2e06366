#!/usr/bin/env bash
# Checks Windows programs without running them: each is built for the machine
# of the build in BUILD_DIR (x64 or x86, as its package name says), imports
# only DLLs that every Windows system has, and carries the build's version
# in its version resource; with --stripped, also that it has no debugging
# sections. Prints one line a program: what it imports.
#   scripts/pe-check.sh BUILD_DIR [--stripped] PROGRAM...
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/wine-common.sh"
build=$1
shift
stripped=0
if [ "${1:-}" = --stripped ]; then
  stripped=1
  shift
fi

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
# The PE header's machine type: 8664 for x64, 14c for x86.
case "$name" in
  *-x64) machine=8664 tools=x86_64-w64-mingw32 ;;
  *-x86) machine=14c tools=i686-w64-mingw32 ;;
  *) fail "the package name \"$name\" in $build/CPackConfig.cmake names no Windows machine" ;;
esac
IFS=. read -r major minor patch <<<"$version"

for path in "$@"; do
  program=${path##*/}
  [ -s "$path" ] || fail "$path is missing"
  [ "$(pe_machine "$path")" = "$machine" ] || fail "$program is not built for ${name##*-}"
  sections=$("$tools-objdump" -h "$path") || fail "$tools-objdump cannot read $path"
  if [ "$stripped" = 1 ] && grep -q '\.debug_' <<<"$sections"; then fail "$program is not stripped"; fi
  dlls=$("$tools-objdump" -p "$path" | sed -n 's/^\s*DLL Name: //p' | sort -f | xargs)
  for dll in $dlls; do
    case "${dll,,}" in
      kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | advapi32.dll | shell32.dll | comctl32.dll | \
        comdlg32.dll | ole32.dll) ;;
      *) fail "$program imports $dll, which is no system DLL" ;;
    esac
  done
  resources=$("$tools-windres" -i "$path" -O rc 2>/dev/null) || true
  grep -q "FILEVERSION $major, $minor, $patch, 0" <<<"$resources" ||
    fail "$program has no version resource $version"
  echo "$program (${name##*-}) imports $dlls"
done
