#!/usr/bin/env bash
# Installs the Debian packages a build needs, when they are missing.
#   scripts/install-deps.sh [KIND...]   KIND is one or more of:
#     host         compilers (clang and libFuzzer too), CMake, GoogleTest (also its
#                  sources, for cross builds), Google Benchmark; always included
#     windows      mingw-w64, Wine, Xvfb, ImageMagick, xdotool, and the locale
#                  sources that a Japanese locale for Wine is made from
#     windows-x86  the 32-bit (i686) mingw-w64 compiler and 32-bit Wine (Debian's
#                  i386 packages), on top of "windows"; adds the i386
#                  architecture to dpkg
#     arm          the 32-bit ARM cross compiler, qemu-arm, Debian's armhf C and
#                  C++ runtime (loader, iconv code-page modules) to run the
#                  cross-built tests with, and the resource compiler the host
#                  dialogs come from; adds the armhf architecture to dpkg
#     dist         cmark-gfm, which turns the user guide into HTML
set -euo pipefail

packages=(g++ make cmake libgtest-dev libgmock-dev libbenchmark-dev time clang libclang-rt-14-dev)
foreign=()
windows=(g++-mingw-w64-x86-64-posix wine64 xvfb fonts-wine imagemagick xdotool locales)
for kind in "${@:-host}"; do
  case "$kind" in
    host) ;;
    windows) packages+=("${windows[@]}") ;;
    windows-x86)
      packages+=("${windows[@]}" g++-mingw-w64-i686-posix wine32:i386)
      foreign+=(i386)
      ;;
    arm)
      packages+=(g++-arm-linux-gnueabihf qemu-user libc6:armhf libstdc++6:armhf
        binutils-mingw-w64-x86-64)
      foreign+=(armhf)
      ;;
    dist) packages+=(cmark-gfm) ;;
    *)
      echo "install-deps.sh: unknown kind $kind" >&2
      exit 2
      ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
for arch in "${foreign[@]}"; do
  dpkg --print-foreign-architectures | grep -qx "$arch" || "${sudo[@]}" dpkg --add-architecture "$arch"
done
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
