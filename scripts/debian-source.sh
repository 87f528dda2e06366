# Sourced by scripts/cross-libs.sh (and its test in scripts/script-test.sh):
#   folder=$(debian_source PACKAGE SOURCES)
# prints the folder where Debian's source package PACKAGE lies unpacked in
# SOURCES, fetched with apt-get source the first time and reused after that.
# A mirror can lag in any pocket: a security version whose binaries install
# may have no source on it yet. So when the candidate cannot be fetched, the
# release's own pocket (PACKAGE/CODENAME) is tried, then every other version
# apt-cache showsrc lists, newest first. One line on standard error says which
# version was taken and why; when none can be fetched, the function fails,
# naming the package and apt's reason. Call it as an assignment of its own so
# that the failure stops the script.

# debian_source_unpacked PACKAGE SOURCES: the unpacked folder, if any.
debian_source_unpacked() {
  find "$2" -maxdepth 1 -type d -name "$1-[0-9]*" | sort | head -n 1
}

# debian_source_version FOLDER: the Debian version an unpacked source is,
# from the first line of its changelog ("expat (2.5.0-1+deb12u2) bookworm; ...").
debian_source_version() {
  sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p' "$1/debian/changelog" 2>/dev/null
}

# debian_source_fetch WANTED SOURCES LOG: apt-get source WANTED (PKG,
# PKG/CODENAME or PKG=VERSION) into SOURCES.
debian_source_fetch() {
  (cd "$2" && apt-get source -qq "$1" >"$3" 2>&1)
}

debian_source() {
  local package=$1 sources=$2 folder log codename reason wanted tried version pocket
  mkdir -p "$sources"
  folder=$(debian_source_unpacked "$package" "$sources")
  if [ -n "$folder" ]; then
    echo "$folder"
    return 0
  fi
  log="$sources/$package.log"
  if debian_source_fetch "$package" "$sources" "$log"; then
    folder=$(debian_source_unpacked "$package" "$sources")
    [ -n "$folder" ] || { echo "$script_name: apt-get source $package unpacked no folder $package-VERSION in $sources" >&2; return 1; }
    echo "$package: $(debian_source_version "$folder"), the newest on the mirror" >&2
    echo "$folder"
    return 0
  fi
  reason=$(grep -m1 '^E: ' "$log" | sed 's/ *\[IP: [^]]*\]//' || tail -n 1 "$log")
  # The version that failed, from the file name apt could not fetch
  # (expat_2.5.0-1%2bdeb12u5.dsc); a file name has no epoch.
  wanted=$(grep -o "${package}_[^/ ]*\.dsc" "$log" | head -n 1 | sed "s/^${package}_//; s/\.dsc$//; s/%2[bB]/+/g; s/%7[eE]/~/g" || true)
  pocket="the candidate"
  grep -q -- '-security/' "$log" && pocket="the security pocket's"
  local missing="$pocket ${wanted:-version} is not on the mirror (${reason#E: })"
  tried=" ${wanted} "
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [ -n "$codename" ] && debian_source_fetch "$package/$codename" "$sources" "$log"; then
    folder=$(debian_source_unpacked "$package" "$sources")
    if [ -n "$folder" ]; then
      echo "$package: $missing; building $(debian_source_version "$folder") from $codename" >&2
      echo "$folder"
      return 0
    fi
  fi
  # Every other version the source indexes list, newest first.
  local versions=() v i j
  mapfile -t versions < <(apt-cache showsrc "$package" 2>/dev/null |
    awk -v p="$package" '/^Package: /{ours = ($2 == p)} ours && /^Version: /{print $2}' | sort -u)
  for ((i = 1; i < ${#versions[@]}; i++)); do
    for ((j = i; j > 0; j--)); do
      dpkg --compare-versions "${versions[j]}" gt "${versions[j - 1]}" || break
      v=${versions[j]}
      versions[j]=${versions[j - 1]}
      versions[j - 1]=$v
    done
  done
  for version in "${versions[@]}"; do
    [[ "$tried" == *" ${version#*:} "* ]] && continue
    tried+="${version#*:} "
    debian_source_fetch "$package=$version" "$sources" "$log" || continue
    folder=$(debian_source_unpacked "$package" "$sources")
    if [ -n "$folder" ]; then
      echo "$package: $missing; building $version, the newest other version the mirror has" >&2
      echo "$folder"
      return 0
    fi
  done
  echo "$script_name: no source of $package can be fetched: $reason (tried apt-get source $package${codename:+, $package/$codename} and every version apt-cache showsrc $package lists); scripts/install-deps.sh windows adds Debian's deb-src entries" >&2
  return 1
}
