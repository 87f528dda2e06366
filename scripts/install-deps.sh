#!/usr/bin/env bash
# Installs the Debian packages a build needs, when they are missing.
#   scripts/install-deps.sh [KIND...]   KIND is one or more of:
#     host         compilers (clang and libFuzzer too), CMake, GoogleTest (also its
#                  sources, for cross builds), Google Benchmark, Python and the
#                  Unicode data that scripts/capitals-table.py reads, the workbook
#                  libraries (minizip, expat, zlib); always included
#     windows      mingw-w64 and its zlib, Wine, Xvfb, ImageMagick, xdotool, the
#                  locale sources that a Japanese locale for Wine is made from,
#                  and Debian's source packages (a deb-src entry is added), from
#                  which scripts/cross-libs.sh builds the workbook libraries
#     windows-x86  the 32-bit (i686) mingw-w64 compiler and 32-bit Wine (Debian's
#                  i386 packages), on top of "windows"; adds the i386
#                  architecture to dpkg
#     arm          the 32-bit ARM cross compiler, qemu-arm, Debian's armhf C and
#                  C++ runtime (loader, iconv code-page modules) to run the
#                  cross-built tests with, and the resource compiler the host
#                  dialogs come from; adds the armhf architecture to dpkg, and
#                  Debian's source packages as for "windows"
#     dist         cmark-gfm, which turns the user guide into HTML
#     spreadsheets LibreOffice Calc (headless, with Python's UNO bridge),
#                  Gnumeric and Python's openpyxl (a strict reader), for the
#                  workbook trials
# A mirror in mid-sync can serve some indexes that do not match their
# release file: the update is tried again a few times (INSTALL_DEPS_PAUSE
# seconds apart, 15 by default), and if some still fail, the packages come
# from the release's own pocket (apt-get -t CODENAME), where every package
# has one version for all architectures, so that the amd64, i386 and armhf
# halves of a multi-arch package match.
source "$(dirname "$0")/common.sh"

packages=(g++ make cmake libgtest-dev libgmock-dev libbenchmark-dev time clang libclang-rt-14-dev
  python3 unicode-data libminizip-dev libexpat1-dev zlib1g-dev)
foreign=()
sources=0
windows=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 xvfb fonts-wine imagemagick xdotool
  locales dpkg-dev)
for kind in "${@:-host}"; do
  case "$kind" in
    host) ;;
    windows)
      packages+=("${windows[@]}")
      sources=1
      ;;
    windows-x86)
      packages+=("${windows[@]}" g++-mingw-w64-i686-posix wine32:i386)
      foreign+=(i386)
      sources=1
      ;;
    arm)
      packages+=(g++-arm-linux-gnueabihf qemu-user libc6:armhf libstdc++6:armhf
        binutils-mingw-w64-x86-64 dpkg-dev)
      foreign+=(armhf)
      sources=1
      ;;
    dist) packages+=(cmark-gfm) ;;
    spreadsheets) packages+=(libreoffice-calc-nogui python3-uno gnumeric python3-openpyxl) ;;
    *)
      echo "install-deps.sh: unknown kind $kind" >&2
      exit 2
      ;;
  esac
done

# missing_packages NAME...: those of NAME that dpkg does not have installed.
missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
  done
}
mapfile -t missing < <(missing_packages "${packages[@]}" | sort -u)
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

# Debian's source packages: the deb-src twin of each deb entry of Debian's
# own sources file, unless some deb-src entry is there already.
apt=${INSTALL_DEPS_APT_DIR:-/etc/apt}
deb_src=$apt/sources.list.d/tallo-deb-src.sources
new_sources=0
if [ "$sources" = 1 ] && ! grep -rqsE '^(deb-src|Types:.*deb-src)' "$apt/sources.list" "$apt/sources.list.d"; then
  [ -f "$apt/sources.list.d/debian.sources" ] ||
    fail "no $apt/sources.list.d/debian.sources to take the deb-src entries from: add deb-src lines for Debian's main component yourself"
  sed 's/^Types: deb$/Types: deb-src/' "$apt/sources.list.d/debian.sources" |
    "${sudo[@]}" tee "$deb_src" >/dev/null
  echo "install-deps.sh: added $deb_src, for Debian's source packages"
  new_sources=1
fi
[ ${#missing[@]} -eq 0 ] && [ "$new_sources" = 0 ] && exit 0

[ ${#missing[@]} -eq 0 ] || echo "Installing: ${missing[*]}"
for arch in "${foreign[@]}"; do
  dpkg --print-foreign-architectures | grep -qx "$arch" || "${sudo[@]}" dpkg --add-architecture "$arch"
done
export DEBIAN_FRONTEND=noninteractive
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
pause=${INSTALL_DEPS_PAUSE:-15}
log=$(mktemp)
trap 'rm -f "$log"' EXIT

updated=0
for attempt in 1 2 3; do
  if "${sudo[@]}" apt-get update -qq >"$log" 2>&1; then
    updated=1
    break
  fi
  [ "$attempt" = 3 ] || sleep "$pause"
done
release=()
if [ "$updated" = 0 ]; then
  cause=$(grep -m1 '^E: ' "$log" | sed 's/ *\[IP: [^]]*\]//' || true)
  [ -n "$codename" ] ||
    fail "apt-get update failed three times, and /etc/os-release names no release: ${cause:-see apt-get update}"
  echo "install-deps.sh: some package indexes did not download three times (${cause:-apt-get update failed}); installing from $codename's own pocket"
  release=(-t "$codename")
fi

[ ${#missing[@]} -gt 0 ] || exit 0
apt_install() {
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1
}
if ! apt_install "${release[@]}" "${missing[@]}"; then
  # Some pocket's versions may not pair up across architectures even when
  # every index came: the release's own pocket always does.
  if [ ${#release[@]} -eq 0 ] && [ -n "$codename" ]; then
    echo "install-deps.sh: apt-get could not install them together ($(grep -m1 '^E: ' "$log" || echo "no reason given")); trying $codename's own pocket"
    release=(-t "$codename")
    apt_install "${release[@]}" "${missing[@]}" || true
  fi
  # One at a time, so that each package that cannot be had is named.
  mapfile -t left < <(missing_packages "${missing[@]}")
  failed=()
  for p in "${left[@]}"; do
    apt_install "${release[@]}" "$p" || failed+=("$p ($(grep -m1 '^E: ' "$log" || echo "apt-get install failed"))")
  done
  [ ${#failed[@]} -eq 0 ] || fail "cannot install: $(printf '%s; ' "${failed[@]}" | sed 's/; $//')"
fi
