#!/usr/bin/env bash
# Installs the Debian packages a build needs, when they are missing.
#   scripts/install-deps.sh host     compilers (clang and libFuzzer too), CMake, GoogleTest,
#                                    Google Benchmark
#   scripts/install-deps.sh windows  the above plus mingw-w64, Wine, Xvfb, ImageMagick, xdotool
set -euo pipefail

packages=(g++ make cmake libgtest-dev libgmock-dev libbenchmark-dev time clang libclang-rt-14-dev)
if [ "${1:-host}" = windows ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine64 xvfb fonts-wine imagemagick xdotool)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
