# Sourced by every script that runs Wine (the Wine suite, the start-up benchmark, and through the
# suite the pictures): one way to pick the Wine for a build, make a prefix, start and end its
# server, and set the locale and the Windows version a program sees. Errors go to standard error.

wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=-all

# wine_fail MESSAGE...: says why on standard error and ends the script. Never call it inside $(...),
# where it would end only the subshell: capture first, then test.
wine_fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# wine_for EXE SCRIPT ARGS...: sets $wine to the Wine that runs EXE, a PE file: the 32-bit one
# (WINEARCH=win32) for an i386 file, wine64 for an x86_64 one. With wine_wow64=1 an i386 file runs
# as on 64-bit Windows, under Wine's WoW64: wine64 in a 64-bit prefix (WINEARCH=win64), which
# starts the 32-bit loader for it. i386 programs run only inside the namespace where qemu-i386 is
# registered for them, so the calling script (SCRIPT with ARGS) is started again there first.
wine_for() {
  local exe=$1 script=$2 pe machine
  shift 2
  pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
  machine=$(od -An -tx2 -j$((pe + 4)) -N2 "$exe" | tr -d ' ')
  if [ "$((16#$machine))" -eq $((0x14c)) ]; then
    if [ -z "${CORVEN_IN_I386:-}" ]; then
      exec "$(dirname "${BASH_SOURCE[0]}")/i386.sh" env CORVEN_IN_I386=1 bash "$script" "$@"
    fi
    if [ "${wine_wow64:-}" = 1 ]; then
      wine=/usr/lib/wine/wine64
      export WINEARCH=win64
    else
      wine=/usr/lib/wine/wine
      export WINEARCH=win32
    fi
  else
    wine=/usr/lib/wine/wine64
    export WINEARCH=win64
  fi
}

# wine_prefix PREFIX RECIPE: makes PREFIX once for the function RECIPE, which sets it up; made again
# when the recipe (its text, and this file's base) changes. Every prefix starts as a copy of one base
# prefix for its architecture, booted once, beside the build folders (build/wine-base-win32,
# build/wine-base-win64), so that every build shares it: a wineboot costs half a minute of processor
# time under emulation, a copy nothing. The base is made under a lock, as prefixes are made side by
# side. A 64-bit base booted inside the i386 namespace has WoW64's 32-bit half set up too: the i686
# product's WoW64 prefixes take no other, while the x86_64 build's take either.
wine_prefix() {
  local prefix=$1 recipe=$2 base stamp
  base=$(dirname "$(dirname "$prefix")")/wine-base-$WINEARCH
  stamp=$( (declare -f wine_base_prefix "$recipe") | md5sum | cut -c1-16)
  if [ "$(cat "$prefix/.corven-ready" 2>/dev/null)" != "$stamp" ]; then
    (
      flock 9
      export WINEPREFIX=$base
      local plain with_i386 found
      plain=$(declare -f wine_base_prefix | md5sum | cut -c1-16)
      with_i386=$plain-i386
      found=$(cat "$base/.corven-ready" 2>/dev/null || true)
      if [ "$found" != "$with_i386" ] && { [ -n "${CORVEN_IN_I386:-}" ] || [ "$found" != "$plain" ]; }; then
        rm -rf "$base"
        wine_base_prefix
        "$wineserver" -w
        echo "$plain${CORVEN_IN_I386:+-i386}" > "$base/.corven-ready"
      fi
    ) 9> "$base.lock"
    rm -rf "$prefix"
    cp -a "$base" "$prefix"
    rm -f "$prefix/.corven-ready"
    export WINEPREFIX=$prefix
    "$recipe"
    "$wineserver" -w
    echo "$stamp" > "$prefix/.corven-ready"
  fi
  export WINEPREFIX=$prefix
}

# What every prefix has: Wine's own "MS Sans Serif" and Marlett, so dialogs are drawn as on Windows.
wine_base_prefix() {
  "$wine" wineboot -i >/dev/null 2>&1
  cp /usr/share/wine/fonts/sserife.fon /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}

# A virtual desktop, so captions and their close boxes are drawn.
wine_virtual_desktop() {
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
}

# wine_windows95 EXE: the program EXE (a file name) is told it runs on Windows 95.
wine_windows95() {
  "$wine" reg add "HKCU\\Software\\Wine\\AppDefaults\\$1" /v Version /d win95 /f >/dev/null
}

# wine_locale LOCALE: the Unix locale, from which Wine takes the ANSI code page (932 from
# ja_JP.UTF-8); it must exist, as tools/install-deps.sh makes sure.
wine_locale() {
  export LANG=$1 LC_ALL=$1
}

# The prefix's server, kept for a minute between programs; ended at the end, or the prefix's
# services would run on for good.
wine_start_server() {
  "$wineserver" -p 60 >/dev/null 2>&1 || true
}
# Wine starts a prefix's services for the first program of its server, and they inherit that
# program's output: a caller that reads the output to its end would wait for as long as they run.
# This starts them with none of the caller's.
wine_start_services() {
  "$wine" cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
}
wine_end_server() {
  "$wineserver" -k 2>/dev/null || true
}

# winpath UNIX_PATH: the same path as a Windows program names it. Every prefix maps Z: to the Unix
# root, so this needs no Wine program (each costs a second under emulation).
winpath() {
  local path
  path=$(realpath -m "$1")
  printf 'Z:%s\n' "${path//\//\\}"
}
