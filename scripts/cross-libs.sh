#!/usr/bin/env bash
# Builds the libraries filmtool's workbooks need, for a cross build, from
# Debian's source packages (apt-get source; scripts/install-deps.sh adds the
# deb-src entries): expat and minizip, static, over zlib, into
# OUT/{include,lib}, with OUT/toolchain.cmake, the cross build's toolchain
# file that finds them there first. zlib is Debian's libz-mingw-w64-dev for
# Windows; for ARM it is built from Debian's zlib source too, since its
# armhf -dev package must match the amd64 one version for version, which a
# mirror in mid-sync does not always allow.
# Each source is fetched once (scripts/debian-source.sh, which falls back to
# an older version when the mirror lacks the newest) and each library built
# once for the version it was built from (OUT/build/NAME.version); another
# version, or a build cut short, builds that library again. OUT/versions.txt,
# and the release's licences/README.txt, name every library's version.
#   scripts/cross-libs.sh TOOLCHAIN_FILE OUT
source "$(dirname "$0")/common.sh"
source "$(dirname "$0")/debian-source.sh"
top=$(cd "$(dirname "$0")/.." && pwd)
toolchain=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
mkdir -p "$2"
out=$(cd "$2" && pwd)
sources="$top/build/libs/sources"
jobs=$(nproc)
triple=$(sed -n 's/^set(TOOLCHAIN_PREFIX \(.*\))$/\1/p' "$toolchain")
mkdir -p "$out/build" "$out/include" "$out/lib" "$out/licenses"

# write_if_changed FILE: standard input into FILE, unless FILE holds it
# already (so that a build that finds nothing to do touches nothing).
write_if_changed() {
  local new
  new=$(cat)
  [ -f "$1" ] && [ "$(cat "$1")" = "$new" ] && return 0
  printf '%s\n' "$new" >"$1"
}

# The cross build's own toolchain, with OUT searched before the system's
# root: there only static libraries lie, so nothing links a DLL.
write_if_changed "$out/toolchain.cmake" <<TOOLCHAIN
include("$toolchain")
list(PREPEND CMAKE_FIND_ROOT_PATH "$out")
# The libraries' licences, which a release carries beside its own.
set(TALLO_LIBRARY_LICENSES "$out/licenses")
TOOLCHAIN

# built NAME VERSION: whether NAME was built, whole, from VERSION.
built() { [ "$(cat "$out/build/$1.version" 2>/dev/null)" = "$2" ]; }
# mark_built NAME VERSION: NAME is built from VERSION, and is in versions.txt.
mark_built() {
  echo "$2" >"$out/build/$1.version"
  echo "cross-libs.sh: built $1 $2 for $triple"
}

# cmake_build NAME SOURCE_DIR CMAKE-OPTIONS...: builds a library and installs
# it into OUT.
cmake_build() {
  local name=$1 dir=$2
  shift 2
  rm -rf "$out/build/$name"
  cmake -S "$dir" -B "$out/build/$name" -DCMAKE_TOOLCHAIN_FILE="$out/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$out" -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_POSITION_INDEPENDENT_CODE=ON "$@" >"$out/build/$name.log" 2>&1 ||
    fail "$name: cmake failed: $(tail -n 3 "$out/build/$name.log" | tr '\n' ' ')"
  [ "$name" != expat ] ||
    # Debian builds expat with its configure script, which defines XML_DTD
    # as 1, and Debian's patches test it as such; the CMake build defines it
    # empty.
    sed -i 's/^#define XML_DTD$/#define XML_DTD 1/' "$out/build/expat/expat_config.h"
  cmake --build "$out/build/$name" -j "$jobs" --target install >>"$out/build/$name.log" 2>&1 ||
    fail "$name: the build failed: see $out/build/$name.log"
}

versions=()
case "$triple" in
  *-w64-mingw32)
    version=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null) ||
      fail "libz-mingw-w64-dev is not installed: scripts/install-deps.sh windows installs it"
    if ! built zlib "$version"; then
      for file in include/zlib.h include/zconf.h lib/libz.a; do
        [ -f "/usr/$triple/$file" ] || fail "/usr/$triple/$file is missing: install libz-mingw-w64-dev"
        cp "/usr/$triple/$file" "$out/$file"
      done
      cp /usr/share/doc/libz-mingw-w64-dev/copyright "$out/licenses/zlib.txt"
      mark_built zlib "$version"
    fi
    versions+=("zlib $version (Debian's libz-mingw-w64-dev)")
    ;;
  *)
    zlib=$(debian_source zlib "$sources")
    version=$(debian_source_version "$zlib")
    if ! built zlib "$version"; then
      # With zlib's own configure script, as Debian builds it (its CMake
      # build wants a file that Debian's source leaves out).
      rm -rf "$out/build/zlib"
      mkdir -p "$out/build/zlib"
      (cd "$out/build/zlib" && CC="$triple-gcc" CFLAGS="-O2 -fPIC" "$zlib/configure" --static \
        --prefix="$out" && make -j "$jobs" install) >"$out/build/zlib.log" 2>&1 ||
        fail "zlib: the build failed: see $out/build/zlib.log"
      cp "$zlib/LICENSE" "$out/licenses/zlib.txt"
      mark_built zlib "$version"
    fi
    versions+=("zlib $version")
    ;;
esac

expat=$(debian_source expat "$sources")
version=$(debian_source_version "$expat")
if ! built expat "$version"; then
  cmake_build expat "$expat/expat" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
    -DEXPAT_BUILD_PKGCONFIG=OFF
  cp "$expat/expat/COPYING" "$out/licenses/expat.txt"
  mark_built expat "$version"
fi
versions+=("expat $version")

minizip=$(debian_source minizip "$sources")
version=$(debian_source_version "$minizip")
if ! built minizip "$version"; then
  cmake_build minizip "$top/cmake/minizip" -DMINIZIP_SOURCE="$minizip"
  cp "$minizip/MiniZip64_info.txt" "$out/licenses/minizip.txt"
  mark_built minizip "$version"
fi
versions+=("minizip $version")

# A library an earlier build made that filmtool no longer holds: its
# licence must not go into the release, nor its files into a link.
rm -rf "$out/licenses/libxlsxwriter.txt" "$out/build/libxlsxwriter" "$out/build/libxlsxwriter".* \
  "$out/include/xlsxwriter" "$out/include/xlsxwriter.h" "$out/lib/libxlsxwriter.a" \
  "$out/lib/pkgconfig/xlsxwriter.pc" "$out/lib/cmake/xlsxwriter"

printf '%s\n' "${versions[@]}" | write_if_changed "$out/versions.txt"
{
  echo "filmtool holds these libraries, each under the licence in the file of its name,"
  echo "built from Debian's source packages of those names and versions (apt-get"
  echo "source PACKAGE=VERSION on Debian 12), which hold their whole source:"
  printf '  %s\n' "${versions[@]}"
} | write_if_changed "$out/licenses/README.txt"
