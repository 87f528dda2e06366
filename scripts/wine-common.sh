# Sourced by the scripts that run tallo.exe under Wine: a template prefix
# made once per build folder, a fresh copy of it per run, a private Xvfb, and
# a cleanup that ends only what this run started. 64-bit Wine unless
# wine_for_build picks another.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

# pe_machine EXE: the machine type in a Windows program's header, in hex:
# 14c for x86, 8664 for x64.
pe_machine() {
  local header
  header=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  od -An -t x2 -j $((header + 4)) -N 2 "$1" | tr -d ' ' | sed 's/^0*//'
}

# wine_for_build DIR: the Wine that runs the Windows build in DIR. A 32-bit
# tallo.exe runs in a 32-bit prefix of 32-bit Wine, as on a 32-bit Windows
# system; the template is made per build folder, so each build has its own.
# BUILD_BITS is 32 or 64.
wine_for_build() {
  [ -f "$1/app/tallo.exe" ] || fail "$1/app/tallo.exe is missing: build it first (make windows, make windows-x86)"
  if [ "$(pe_machine "$1/app/tallo.exe")" = 14c ]; then
    WINE=/usr/lib/wine/wine
    BUILD_BITS=32
    export WINEARCH=win32
  else
    WINE=/usr/lib/wine/wine64
    BUILD_BITS=64
    export WINEARCH=win64
  fi
  [ -x "$WINE" ] || fail "$WINE is missing: run scripts/install-deps.sh windows$([ "$BUILD_BITS" = 64 ] || echo -x86)"
}

# wine_can_start: whether this machine can start the Wine that wine_for_build
# chose. 64-bit Wine always can here. For 32-bit Wine, a probe starts its
# loader (a 32-bit x86 program) and looks at the failure: a kernel built
# without 32-bit support refuses it with "Exec format error"; a kernel that
# hands 32-bit programs to an emulator (binfmt_misc) starts it far too slowly
# for a Wine prefix to be made in time. Returns 1 with WINE_REFUSAL saying
# why. TALLO_NO_X86_32=1 makes the probe say no, to try the skipping on a
# machine that could run them.
wine_can_start() {
  WINE_REFUSAL=
  [ "$BUILD_BITS" = 32 ] || return 0
  if [ -n "${TALLO_NO_X86_32:-}" ]; then
    WINE_REFUSAL="TALLO_NO_X86_32 is set, so this machine is taken for one that cannot start 32-bit x86 programs"
    return 1
  fi
  local entry
  for entry in /proc/sys/fs/binfmt_misc/*; do
    # An enabled entry whose magic is a 32-bit little-endian ELF header
    # for machine 3 (x86): its bytes 18 and 19 are hex digits 36 to 39.
    [ -f "$entry" ] && grep -qx enabled "$entry" 2>/dev/null || continue
    local magic
    magic=$(sed -n 's/^magic //p' "$entry")
    if [ "${magic:0:10}" = 7f454c4601 ] && [ "${magic:36:4}" = 0300 ]; then
      WINE_REFUSAL="this kernel starts 32-bit x86 programs only through an emulator ($(sed -n 's/^interpreter //p' "$entry")), too slow for Wine"
      return 1
    fi
  done
  local said status=0
  said=$("$WINE" --version 2>&1) || status=$?
  [ "$status" = 0 ] && return 0
  if [ "$status" = 126 ] && [[ "$said" == *"Exec format error"* ]]; then
    WINE_REFUSAL="this kernel cannot start 32-bit x86 programs ($WINE --version: Exec format error)"
    return 1
  fi
  fail "$WINE --version failed with exit $status: ${said:-no message}"
}

# wine_template DIR: makes DIR/wine-template unless it is there.
wine_template() {
  local template="$1/wine-template"
  [ -f "$template/.ready" ] && return 0
  rm -rf "$template"
  (
    unset DISPLAY
    export WINEPREFIX="$template"
    "$WINE" wineboot -i >"$template.log" 2>&1 ||
      fail "wineboot could not make the Wine prefix $template (exit $?): $(tail -n 1 "$template.log")"
    ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    "$WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    "$WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f >/dev/null 2>&1
    # Drive E: reports itself removable: it stands for the storage card.
    "$WINE" reg add 'HKLM\Software\Wine\Drives' /v e: /d floppy /f >/dev/null 2>&1
    "$WINESERVER" -w
  )
  rm -f "$template.log"
  touch "$template/.ready"
}

# wine_fresh_prefix DIR: prints the path of a fresh copy of the template.
wine_fresh_prefix() {
  local prefix
  prefix=$(mktemp -d "$1/wine-run.XXXXXX")
  cp -a "$1/wine-template/." "$prefix/"
  rm -f "$prefix/wineserver" "$prefix/.ready"
  echo "$prefix"
}

# wine_locale BUILD NAME: makes the Linux locale NAME (e.g. ja_JP.UTF-8) in
# BUILD/locale unless it is there, and prints that folder. Wine takes the
# system's code page from the locale: run a program with LOCPATH=FOLDER and
# LC_ALL=NAME.
wine_locale() {
  local folder="$1/locale"
  if [ ! -d "$folder/$2" ]; then
    mkdir -p "$folder"
    localedef -i "${2%%.*}" -f "${2#*.}" "$folder/$2" >/dev/null 2>&1 ||
      [ -d "$folder/$2" ] || { echo "wine_locale: cannot make $2" >&2; return 1; }
  fi
  echo "$folder"
}

# xvfb_start [WIDTHxHEIGHT]: starts a private Xvfb on a free display (a
# 1024x768 screen unless told); sets XVFB_PID, DISPLAY.
xvfb_start() {
  local displayfile
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$displayfile" 2>/dev/null &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$displayfile" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(cat "$displayfile")"
  rm -f "$displayfile"
}

# wine_cleanup PREFIX: ends the prefix's wineserver, then our Xvfb, then
# removes the prefix.
wine_cleanup() {
  local prefix="$1"
  if [ -n "$prefix" ] && [ -d "$prefix" ]; then
    WINEPREFIX="$prefix" "$WINESERVER" -k 2>/dev/null || true
    WINEPREFIX="$prefix" timeout 20 "$WINESERVER" -w 2>/dev/null || true
    rm -rf "$prefix"
  fi
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}
