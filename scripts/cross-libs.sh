#!/usr/bin/env bash
# Builds the libraries filmtool's workbooks need, for a cross build, from
# Debian's source packages (apt-get source; scripts/install-deps.sh adds the
# deb-src entries): expat, minizip and libxlsxwriter, static, over zlib, into
# OUT/{include,lib}, with OUT/toolchain.cmake, the cross build's toolchain
# file that finds them there first. zlib is Debian's libz-mingw-w64-dev for
# Windows; for ARM it is built from Debian's zlib source too, since its
# armhf -dev package must match the amd64 one version for version, which a
# mirror in mid-sync does not always allow. Made once: OUT/.ready.
#   scripts/cross-libs.sh TOOLCHAIN_FILE OUT
source "$(dirname "$0")/common.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
mkdir -p "$2"
out=$(cd "$2" && pwd)
[ -f "$out/.ready" ] && exit 0
sources="$top/build/libs/sources"
jobs=$(nproc)

# source PACKAGE: the unpacked source folder of Debian's PACKAGE, fetched once.
source_of() {
  local folder
  # The folder is made first: find fails on a missing one, which under
  # pipefail would end the script on a fresh build.
  mkdir -p "$sources"
  folder=$(find "$sources" -maxdepth 1 -type d -name "$1-[0-9]*" | head -n 1)
  if [ -z "$folder" ]; then
    (cd "$sources" && apt-get source -qq "$1" >"$sources/$1.log" 2>&1) ||
      fail "apt-get source $1 failed ($(grep -m1 '^E: ' "$sources/$1.log" || tail -n 1 "$sources/$1.log")); scripts/install-deps.sh windows adds Debian's deb-src entries"
    folder=$(find "$sources" -maxdepth 1 -type d -name "$1-[0-9]*" | head -n 1)
  fi
  echo "$folder"
}

# cmake_configure NAME SOURCE_DIR CMAKE-OPTIONS..., then cmake_install NAME:
# builds a library and installs it into OUT.
cmake_configure() {
  local name=$1 dir=$2
  shift 2
  cmake -S "$dir" -B "$out/build/$name" -DCMAKE_TOOLCHAIN_FILE="$out/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON "$@" >"$out/build/$name.log" 2>&1 ||
    fail "$name: cmake failed: $(tail -n 3 "$out/build/$name.log" | tr '\n' ' ')"
}
cmake_install() {
  cmake --build "$out/build/$1" -j "$jobs" --target install >>"$out/build/$1.log" 2>&1 ||
    fail "$1: the build failed: see $out/build/$1.log"
}

mkdir -p "$out/build" "$out/include" "$out/lib"
# The cross build's own toolchain, with OUT searched before the system's
# root: there only static libraries lie, so nothing links a DLL.
cat >"$out/toolchain.cmake" <<TOOLCHAIN
include("$toolchain")
list(PREPEND CMAKE_FIND_ROOT_PATH "$out")
# The libraries' licences, which a release carries beside its own.
set(TALLO_LIBRARY_LICENSES "$out/licenses")
TOOLCHAIN
triple=$(sed -n 's/^set(TOOLCHAIN_PREFIX \(.*\))$/\1/p' "$toolchain")
case "$triple" in
  *-w64-mingw32)
    for file in include/zlib.h include/zconf.h lib/libz.a; do
      [ -f "/usr/$triple/$file" ] || fail "/usr/$triple/$file is missing: install libz-mingw-w64-dev"
      cp "/usr/$triple/$file" "$out/$file"
    done
    ;;
  *)
    # With zlib's own configure script, as Debian builds it (its CMake build
    # wants a file that Debian's source leaves out).
    zlib=$(source_of zlib)
    mkdir -p "$out/build/zlib"
    (cd "$out/build/zlib" && CC="$triple-gcc" CFLAGS="-O2 -fPIC" "$zlib/configure" --static \
      --prefix="$out" && make -j "$jobs" install) >"$out/build/zlib.log" 2>&1 ||
      fail "zlib: the build failed: see $out/build/zlib.log"
    ;;
esac
cmake_configure expat "$(source_of expat)/expat" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
  -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
  -DEXPAT_BUILD_PKGCONFIG=OFF
# Debian builds expat with its configure script, which defines XML_DTD as 1,
# and Debian's patches test it as such; the CMake build defines it empty.
sed -i 's/^#define XML_DTD$/#define XML_DTD 1/' "$out/build/expat/expat_config.h"
cmake_install expat
cmake_configure minizip "$top/cmake/minizip" -DMINIZIP_SOURCE="$(source_of minizip)"
cmake_install minizip
# MD5 only tells images apart, and a sheet has none.
cmake_configure libxlsxwriter "$(source_of libxlsxwriter)" -DUSE_SYSTEM_MINIZIP=ON -DUSE_NO_MD5=ON \
  -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF
cmake_install libxlsxwriter
# Each library's licence, and where its source is.
mkdir -p "$out/licenses"
cp "$(source_of expat)/expat/COPYING" "$out/licenses/expat.txt"
cp "$(source_of minizip)/MiniZip64_info.txt" "$out/licenses/minizip.txt"
cp "$(source_of libxlsxwriter)/License.txt" "$out/licenses/libxlsxwriter.txt"
case "$triple" in
  *-w64-mingw32) cp /usr/share/doc/libz-mingw-w64-dev/copyright "$out/licenses/zlib.txt" ;;
  *) cp "$(source_of zlib)/LICENSE" "$out/licenses/zlib.txt" ;;
esac
case "$triple" in
  *-w64-mingw32) zlib="zlib $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev) (Debian's libz-mingw-w64-dev)" ;;
  *)
    source_of zlib >/dev/null
    zlib=$(basename "$(ls "$sources"/zlib_*.dsc | head -n 1)" .dsc)
    ;;
esac
{
  echo "filmtool holds these libraries, each under the licence in the file of its name:"
  for package in expat minizip libxlsxwriter; do
    source_of "$package" >/dev/null
    echo "  $(basename "$(ls "$sources/${package}"_*.dsc | head -n 1)" .dsc)"
  done
  echo "  $zlib"
  echo "They were built from Debian's source packages of those names and versions"
  echo "(apt-get source PACKAGE on Debian 12), which hold their whole source."
} >"$out/licenses/README.txt"
touch "$out/.ready"
echo "cross-libs.sh: expat, minizip and libxlsxwriter built for $triple in $out"
