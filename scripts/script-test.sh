#!/usr/bin/env bash
# Tests of the scripts themselves, in a scratch folder:
# - a machine taken for one that cannot start 32-bit x86 programs
#   (TALLO_NO_X86_32=1) skips what needs 32-bit Wine with the reason, and
#   never starts it;
# - the package step, over a stand-in apt-get that fails like a mirror in
#   mid-sync, installs from the release's own pocket, names a package it
#   cannot install, and adds Debian's source packages for the cross builds;
# - the cross builds' source step, over a stand-in apt-get whose newest
#   source is missing from the mirror, builds an older one and says so, and
#   stops naming the package when no version can be fetched;
# - the thread test without its ThreadSanitizer build is skipped, saying so;
# - the capitals table is what its script makes from the Unicode data.
#   scripts/script-test.sh
source "$(dirname "$0")/common.sh"
scripts=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# expect NAME WANT-STATUS WANT-OUTPUT COMMAND...: runs COMMAND and compares
# its exit status and the last line it printed.
expect() {
  local name=$1 want_status=$2 want=$3 status=0 said
  shift 3
  said=$("$@" 2>&1) || status=$?
  said=$(tail -n 1 <<<"$said")
  if [ "$status" = "$want_status" ] && [ "$said" = "$want" ]; then
    echo "ok $name"
  else
    echo "FAILED $name: exit $status, said: $said"
    echo "  wanted exit $want_status: $want"
    failures=$((failures + 1))
  fi
}

# A 32-bit build with nothing but a program header: machine type 14c at the
# offset that bytes 60..63 give. Were Wine started on it, the run would fail.
fake=$scratch/win32
mkdir -p "$fake/app"
{
  printf 'MZ'
  head -c 58 /dev/zero
  printf '\x40\x00\x00\x00PE\x00\x00\x4c\x01'
} >"$fake/app/tallo.exe"
refusal="TALLO_NO_X86_32 is set, so this machine is taken for one that cannot start 32-bit x86 programs"
export TALLO_NO_X86_32=1
expect "32-bit GUI tests skipped" 77 "$refusal: the 32-bit GUI tests are skipped" \
  "$scripts/gui-test.sh" "$fake"
expect "32-bit filmtool.exe comparison skipped" 77 \
  "$refusal: the 32-bit filmtool.exe comparison is skipped" \
  "$scripts/filmtool-wine-test.sh" "$scratch" "$fake"
unset TALLO_NO_X86_32
expect "the thread test without its build skipped" 77 \
  "no ThreadSanitizer build of the thread test at $scratch/tests/thread_tests (make tsan)" \
  "$scripts/thread-test.sh" "$scratch"

# The capitals table in the repository is the one its script makes from the
# Unicode data (Debian's unicode-data): no hand edit, nothing left behind.
expect "the capitals table is what scripts/capitals-table.py makes" 0 "" \
  "$scripts/capitals-table.py" --check

# The source step of the cross builds, over a stand-in apt-get whose source
# fails as a mirror does that lacks the security pocket's sources: expat's
# newest version (2.5.0-1+deb12u5) is missing, the release's own is there;
# no version of zlib can be fetched at all.
srcbin=$scratch/srcbin
sources=$scratch/sources
mkdir -p "$srcbin" "$sources"
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
cat >"$srcbin/apt-get" <<STANDIN
#!/bin/bash
# apt-get source -qq WANTED, in the sources folder
echo "\$*" >>"$scratch/source-calls"
notfound() {
  echo "E: Failed to fetch http://deb.example/debian-security/pool/updates/main/\${1:0:1}/\$1/\$1_\$2.dsc  404  Not Found [IP: 203.0.113.80 80]" >&2
  exit 100
}
case "\$3" in
  expat/$codename | expat=2.5.0-1+deb12u2)
    mkdir -p expat-2.5.0/debian
    echo "expat (2.5.0-1+deb12u2) $codename; urgency=medium" >expat-2.5.0/debian/changelog ;;
  expat | expat=*) notfound expat 2.5.0-1%2bdeb12u5 ;;
  zlib*) notfound zlib 1.2.13.dfsg-1%2bdeb12u1 ;;
esac
STANDIN
cat >"$srcbin/apt-cache" <<'STANDIN'
#!/bin/sh
case "$2" in
  expat) printf 'Package: expat\nVersion: 2.5.0-1+deb12u2\n\nPackage: expat\nVersion: 2.5.0-1+deb12u5\n' ;;
  zlib) printf 'Package: zlib\nVersion: 1:1.2.13.dfsg-1\n\nPackage: zlib\nVersion: 1:1.2.13.dfsg-1+deb12u1\n' ;;
esac
STANDIN
chmod +x "$srcbin"/*
# fetch PACKAGE: what the source step says, then the folder it gives and
# that folder's version, on one line.
fetch() {
  PATH="$srcbin:$PATH" bash -c 'source "$1/common.sh"; source "$1/debian-source.sh"
    folder=$(debian_source "$2" "$3" 2>"$3/said") || { cat "$3/said"; exit 1; }
    echo "$(cat "$3/said") | ${folder#"$3"/} $(debian_source_version "$folder")"' \
    cross-libs.sh "$scripts" "$1" "$sources"
}
expect "a source missing from the mirror: the release's own version is built" 0 \
  "expat: the security pocket's 2.5.0-1+deb12u5 is not on the mirror (Failed to fetch http://deb.example/debian-security/pool/updates/main/e/expat/expat_2.5.0-1%2bdeb12u5.dsc  404  Not Found); building 2.5.0-1+deb12u2 from $codename | expat-2.5.0 2.5.0-1+deb12u2" \
  fetch expat
: >"$scratch/source-calls"
expect "a source fetched once is taken again without apt" 0 " | expat-2.5.0 2.5.0-1+deb12u2" fetch expat
[ ! -s "$scratch/source-calls" ] && echo "ok no apt-get source for a source fetched once" ||
  { echo "FAILED apt-get was called again: $(paste -sd';' "$scratch/source-calls")"; failures=$((failures + 1)); }
expect "no version of a source on the mirror: the step stops, naming the package" 1 \
  "cross-libs.sh: no source of zlib can be fetched: E: Failed to fetch http://deb.example/debian-security/pool/updates/main/z/zlib/zlib_1.2.13.dfsg-1%2bdeb12u1.dsc  404  Not Found (tried apt-get source zlib, zlib/$codename and every version apt-cache showsrc zlib lists); scripts/install-deps.sh windows adds Debian's deb-src entries" \
  fetch zlib
grep -qx 'source -qq zlib=1:1.2.13.dfsg-1' "$scratch/source-calls" &&
  echo "ok every version the source indexes list is tried" ||
  { echo "FAILED the older versions were not tried: $(paste -sd';' "$scratch/source-calls")"; failures=$((failures + 1)); }

# The package step. The stand-ins keep what is installed in a list.
bin=$scratch/bin
mkdir -p "$bin"
installed=$scratch/installed
calls=$scratch/calls
: >"$installed"
cat >"$bin/dpkg-query" <<STANDIN
#!/bin/sh
grep -qx "\$3" "$installed" && printf 'install ok installed'
STANDIN
cat >"$bin/dpkg" <<'STANDIN'
#!/bin/sh
echo i386; echo armhf
STANDIN
# update always fails as a mirror in mid-sync does; install takes only the
# release's own pocket, and never has wine32:i386.
cat >"$bin/apt-get" <<STANDIN
#!/bin/bash
echo "\$*" >>"$calls"
case "\$1" in
  update)
    echo "E: Failed to fetch http://deb.example/debian-security/dists/x/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress? [IP: 203.0.113.80 80]" >&2
    exit 100 ;;
  install)
    [[ " \$* " == *" -t $(. /etc/os-release && echo "$VERSION_CODENAME") "* ]] ||
      { echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100; }
    for p in "\$@"; do
      [ "\$p" = wine32:i386 ] && { echo "E: Package 'wine32:i386' has no installation candidate" >&2; exit 100; }
    done
    printf '%s\n' "\$@" | grep -v '^-' >>"$installed" ;;
esac
STANDIN
printf '#!/bin/sh\nexec "$@"\n' >"$bin/sudo"
chmod +x "$bin"/*
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
mkdir -p "$scratch/apt/sources.list.d"
printf 'Types: deb\nURIs: http://deb.example/debian\nSuites: x\nComponents: main\n' \
  >"$scratch/apt/sources.list.d/debian.sources"
export PATH="$bin:$PATH" INSTALL_DEPS_PAUSE=0 INSTALL_DEPS_APT_DIR=$scratch/apt
expect "a mirror in mid-sync: the release's own pocket" 0 \
  "install-deps.sh: some package indexes did not download three times (E: Failed to fetch http://deb.example/debian-security/dists/x/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?); installing from $codename's own pocket" \
  "$scripts/install-deps.sh"
updates=$(grep -c '^update' "$calls" || true)
[ "$updates" = 3 ] && echo "ok three updates" ||
  { echo "FAILED the update was tried $updates times"; failures=$((failures + 1)); }
expect "a package that cannot be had is named" 1 \
  "install-deps.sh: cannot install: wine32:i386 (E: Package 'wine32:i386' has no installation candidate)" \
  "$scripts/install-deps.sh" windows-x86
expect "what is installed is not installed again" 0 "" "$scripts/install-deps.sh"
grep -qx 'Types: deb-src' "$scratch/apt/sources.list.d/tallo-deb-src.sources" &&
  echo "ok Debian's source packages added" ||
  { echo "FAILED no deb-src entry was added"; failures=$((failures + 1)); }

[ "$failures" = 0 ] || fail "$failures of the scripts' tests failed"
