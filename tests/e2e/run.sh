#!/usr/bin/env bash
# One end-to-end scenario: the real CORVEN.EXE of a build (the i686 product under 32-bit Wine in
# qemu-i386, or the x86_64 build under wine64) in a Wine prefix of its own, its entry on the
# load= line beside other programs', a folder mapped as CD-ROM drive E: with a stand-in setup.exe
# that writes down its command line, and the robot acting as the user.
#
# Usage: run.sh SCENARIO PERSONALITY BUILD_FOLDER   (SCENARIO stop: end that prefix's Wine)
#   registry  win.ini's [windows] kept in the registry, as on Windows NT (Wine's own way)
#   file      [windows] kept in the file C:\windows\win.ini, as on Windows 95: the prefix's
#             IniFileMapping entry for it is deleted
#   wow64     64-bit Windows: a 64-bit prefix runs the i686 product under Wine's WoW64, installed
#             in C:\windows\syswow64\TELVANOR.101 as a 32-bit installation puts it, its entry
#             naming syswow64 as the 64-bit shell needs it; [windows] in the registry
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)

# The scenarios, each on both kinds of win.ini but for the code-page probes, which need the
# registry's. CMake registers them from this list (run.sh list).
both=(typical recorded_wins cancel_clear notice_escape cancel_ticked ticked_ok disk_prompt_typed browse
      prompt_click_stops launch_error prompt_escape long_line huge_line tabs commas cyrillic read_only
      blank_path quoted_record quoted_entry started_as_load dbcs_line dbcs_record dbcs_browse
      exit_notice_enter exit_notice_enter_ticked exit_notice_escape_ticked exit_notice_closebox
      exit_notice_closebox_ticked exit_notice_altf4 exit_notice_altf4_ticked exit_prompt_enter exit_prompt_altf4
      exit_error_retry exit_error_enter exit_error_escape exit_error_closebox exit_error_altf4 exit_error_owner)
registry_only=(codepage_1252 codepage_932 codepage_936 codepage_949 codepage_950 reports_win95
               unicode_recorded_cyrillic unicode_recorded_chinese unicode_typed unicode_browse)
# 64-bit Windows: the typical run, a quoted Program Files (x86) neighbour, the notice's "Do not
# show" path and the ISDN modem's companion, each found where the 64-bit shell starts them.
wow64=(typical quoted_x86 cancel_ticked isdn)
# The x86_64 build runs the same sources as the i686 product, which runs every scenario: its suite
# is a smoke set of what a 64-bit build could get wrong on its own (the typical run and its
# pictures' path, the Open dialog's 64-bit record, double-byte text), and the Unicode Open dialog's
# record on NT.
smoke64=(typical browse dbcs_line)
smoke64_registry=(unicode_browse)
if [ "${1:-}" = list ]; then
  if [ "${2:-}" = smoke ]; then
    for s in "${smoke64[@]}"; do echo "$s registry"; echo "$s file"; done
    for s in "${smoke64_registry[@]}"; do echo "$s registry"; done
    exit 0
  fi
  # One personality after another, the one with the most scenarios first: ctest -j2 starts the
  # lowest-numbered scenario whose personality is free, so the registry's run one after another
  # in one lane while the file's and then WoW64's fill the other, and neither lane waits at the end.
  for s in "${both[@]}" "${registry_only[@]}" signed; do echo "$s registry"; done
  for s in "${both[@]}"; do echo "$s file"; done
  for s in "${wow64[@]}"; do echo "$s wow64"; done
  exit 0
fi

scenario=$1
personality=$2
build=$(cd "$3" && pwd)
source "$source_dir/tools/wine.sh"
fail() { wine_fail "$scenario ($personality): $*"; }
case $personality in registry | file) ;; wow64) wine_wow64=1 ;; *) fail "no such personality" ;; esac

# The locale, from which Wine takes the ANSI code page: Japanese (932) for the double-byte
# scenarios, each code page's own for its probe, else C.UTF-8 (1252). A Windows 95 win.ini holds
# the bytes of that code page.
ini_encoding=""
case $scenario in
dbcs_* | codepage_932) wine_locale ja_JP.UTF-8; ini_encoding=cp932 ;;
codepage_936) wine_locale zh_CN.UTF-8 ;;
codepage_949) wine_locale ko_KR.UTF-8 ;;
codepage_950) wine_locale zh_TW.UTF-8 ;;
*) wine_locale C.UTF-8 ;;
esac

wine_for "$build/app/CORVEN.EXE" "$0" "$@"
export WINEPREFIX=$build/e2e-prefix-$personality
# Each personality has an X display of its own, so that its scenarios can run beside the other's.
case $personality in registry) display=93 ;; file) display=94 ;; wow64) display=95 ;; esac
source "$source_dir/tools/display.sh"
# After the suite: end the prefix's Wine, whose services would otherwise run on for good (the
# robot that holds its desktop with them), and the display the suite started for it.
if [ "$scenario" = stop ]; then
  wine_end_server
  end_display "$display"
  echo "PASS: stop ($personality)"
  exit 0
fi
drive_c=$WINEPREFIX/drive_c
cd_folder=$build/e2e-cd-$personality # each personality its own, as they run side by side
windows_key='Software\Microsoft\Windows NT\CurrentVersion\Windows' # under HKEY_CURRENT_USER
# Where the installation put Corven: on 64-bit Windows a 32-bit installation's copy to the system
# directory lands in syswow64, and only an entry naming syswow64 starts it.
folder=system32
[ "$personality" = wow64 ] && folder=syswow64
self="C:\\windows\\$folder\\TELVANOR.101\\CORVEN.EXE"
product=$build/app/CORVEN.EXE
[ "$scenario" = isdn ] && product=$build/app/type5/CORVEN.EXE # the ISDN modem's own
if [ "$scenario" = signed ]; then # the release's file, Authenticode-signed (product.release-signed)
  product=$(ls "$build"/release-signed/CORVEN-7-*.EXE 2>/dev/null) || fail "no signed release in $build"
fi
others_head='C:\tools\agent.exe'
others_tail='c:\Tools\Other.exe'
work=$build/e2e-work-$personality
mkdir -p "$work"

# Control ids by name, as the resource header defines them; the dialog manager's own are fixed.
declare -A ids=([IDOK]=1 [IDCANCEL]=2 [IDYES]=6 [IDNO]=7)
while read -r _ name value; do ids[$name]=$value; done < <(grep '^#define ID[A-Z_0-9]* [0-9]*$' "$source_dir/res/resource.h")
id() { echo "${ids[$1]}"; }
for name in IDC_DEVICENAME IDC_DONTSHOW IDC_CAPTION IDC_DISKLABEL IDC_DRIVE IDC_PROGRAM IDC_BROWSE; do
  [ -n "${ids[$name]:-}" ] || fail "res/resource.h has no $name"
done

# The display: the one given if it answers, else Xvfb, kept for the whole suite.
use_display "$display"

# The prefix, made once per build and personality: a virtual desktop, E: as a CD-ROM drive, and
# for the file personality no mapping of [windows] to the registry and Windows 95 as the version
# Corven sees.
e2e_prefix() {
  wine_virtual_desktop
  "$wine" reg add 'HKLM\Software\Wine\Drives' /v e: /d cdrom /f >/dev/null
  if [ "$personality" = file ]; then
    "$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\IniFileMapping\win.ini\windows' \
      /f >/dev/null
    wine_windows95 CORVEN.EXE
  fi
}
wine_prefix "$WINEPREFIX" e2e_prefix
wine_start_server
# One robot holds the prefix's desktop for the scenarios after this one (the robot says why),
# started once per server, with none of this scenario's output, which ctest reads to its end.
keeper=$WINEPREFIX/.corven-keeper
if ! { [ -s "$keeper" ] && kill -0 "$(cat "$keeper")" 2>/dev/null; }; then
  (
    setsid "$wine" "$build/tests/e2e/robot.exe" hold >/dev/null 2>&1 </dev/null &
    echo $! > "$keeper"
  )
fi

# This scenario's machine: Corven installed, the CD with setup.exe, nothing recorded or started.
mkdir -p "$drive_c/windows/$folder/TELVANOR.101" "$drive_c/tools"
cp "$product" "$drive_c/windows/$folder/TELVANOR.101/CORVEN.EXE"
rm -rf "$cd_folder" "$drive_c/Install" "$drive_c/Drivers" "$drive_c/My Setup" "$drive_c/My.exe" \
  "$drive_c/tools/evil.exe" "$drive_c/ソフト" "$drive_c/表示" "$drive_c/Установка" "$drive_c/驱动程序"
mkdir -p "$cd_folder"
cp "$build/tests/e2e/setup_standin.exe" "$cd_folder/setup.exe"
ln -sfn "$cd_folder" "$WINEPREFIX/dosdevices/e:"
rm -f "$drive_c/setup-record.txt" "$work"/*
chmod u+w "$drive_c/windows/win.ini" 2>/dev/null || true

# What the robot sets in the registry before it starts Corven, and reads after: nothing recorded
# yet. Every Wine program costs about a second under emulation, so the robot does it all.
machine=(regdelete=InstallLocationsMRU)
readback=()
# regset KEY NAME VALUE: the robot sets value NAME of HKCU key KEY to VALUE, any text.
regset() {
  local file=$work/value$((${#machine[@]}))
  python3 "$here/loadvalue.py" utf16-write "$file" "$3"
  machine+=("regset=$1=$2=$(winpath "$file")")
}

# The load= line where this personality keeps it.
set_load() {
  if [ "$personality" = file ]; then
    python3 "$here/loadvalue.py" ini-write "$drive_c/windows/win.ini" "$1" $ini_encoding
  else
    regset "$windows_key" load "$1"
    readback=("regget=$windows_key=load=$(winpath "$work/load")")
  fi
}
# The load= line as this personality keeps it, after the run; fails when it cannot be read
# (capture, then test).
load_line() {
  if [ "$personality" = file ]; then
    python3 "$here/loadvalue.py" ini-read "$drive_c/windows/win.ini" $ini_encoding
  else
    [ ${#readback[@]} -gt 0 ] || return 1
    python3 "$here/loadvalue.py" utf16-read "$work/load"
  fi
}
record() { [ -f "$drive_c/setup-record.txt" ] && tr -d '\r' < "$drive_c/setup-record.txt" || true; }
# What setup.exe recorded, once it has: Corven does not wait for the installer, which may still be
# starting when Corven has ended (slowly, under emulation). A record that should stay empty is
# read at once where no setup.exe ran at Corven's end (one that was started is running then or has
# written its record); else it is given two seconds to show the start that should not have been.
expect_record() {
  if [ -z "$1" ]; then
    [ "$(tr -d '\r\n' < "$work/running" 2>/dev/null)" = 0 ] || sleep 2
  else
    local deadline=$((SECONDS + 20))
    while [ -z "$(record)" ] && [ $SECONDS -lt $deadline ]; do sleep 0.2; done
  fi
  expect_eq "$(record)" "$1" "setup's record"
}
# Records one install location as the most recent.
record_mru() {
  regset InstallLocationsMRU MRUList a
  regset InstallLocationsMRU a "$1"
}
no_cd_setup() { rm -f "$cd_folder/setup.exe"; }
mark=$(winpath "$work/mark")
input=$(winpath "$work/input")

# The rectangle of the dialog the robot marks, as "x y width height", once it has; nothing when it
# never does (the robot's own failure then says why).
marked() {
  for _ in $(seq 200); do [ -s "$work/mark" ] && break; sleep 0.1; done
  [ -s "$work/mark" ] && cat "$work/mark"
}

# The screen inside a rectangle "x y width height" as a PNG file.
grab() {
  local x y w h
  read -r x y w h <<< "$1"
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
}

# A screenshot of the dialog the robot marks.
shoot() {
  local name=$1
  # The pictures are the registry personality's (tools/pictures.sh runs that one): the two
  # personalities, side by side, never write the same picture.
  [ "$personality" = registry ] || return 0
  ( rect=$(marked) || exit 0
    mkdir -p "$build/screenshots"
    grab "$rect" "$build/screenshots/$name.png" ) &
}

# The steps that let a picture be taken: the robot marks the dialog and holds still. Only the
# registry personality takes pictures; the others go straight on.
shot=()
[ "$personality" = registry ] && shot=(mark="$mark" pause=1500)

# Frames of the dialog the robot marks, for an animated picture: as many as the screen gives in
# SECONDS, each with the milliseconds since the first, in FOLDER/times.
film() {
  local folder=$1 seconds=$2
  ( rect=$(marked) || exit 0
    rm -rf "$folder" && mkdir -p "$folder"
    start=$(date +%s%3N) i=0
    while now=$(date +%s%3N) && [ $((now - start)) -lt $((seconds * 1000)) ]; do
      grab "$rect" "$folder/$(printf %03d $i).png"
      echo $((now - start)) >> "$folder/times"
      i=$((i + 1))
    done ) &
}

# The input agent: carries out the robot's requests for real input through the X server (XTest),
# one request file at a time, and deletes the file when done.
input_agent() {
  # Its pause between looks reads a pipe that never has data, for want of starting a sleep program
  # twenty times a second.
  local pause=$work/agent-pause
  [ -p "$pause" ] || { rm -f "$pause"; mkfifo "$pause"; }
  exec 7<> "$pause"
  while :; do
    if [ -f "$work/input" ]; then
      read -r verb rest < <(tr -d '\r' < "$work/input")
      case $verb in
      click) read -r x y <<< "$rest"; xdotool mousemove "$x" "$y" sleep 0.2 click 1 ;;
      key) read -ra keys <<< "$rest"; xdotool key --delay 100 "${keys[@]}" ;;
      type) xdotool type --delay 80 "$rest" ;;
      esac
      rm -f "$work/input"
    fi
    read -rt 0.05 -u 7 || true
  done
}

# Runs Corven with the robot's steps: the robot makes the machine, starts Corven ($start_verb),
# does the steps, waits for Corven's end and reads what it left. Sets $exit_code.
start_verb=start
# Whatever ends this script (a failed step, a timeout's signal), the input agent and the pictures'
# helpers end with it.
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
run_corven() {
  input_agent &
  local agent=$!
  local status=0
  # The robot may be the prefix's first program of the scenario, so the services Wine starts for
  # it inherit its output: a file, which they may hold open for as long as they run.
  "$wine" "$build/tests/e2e/robot.exe" input="$input" "${machine[@]}" "$start_verb=$self" "$@" \
    ended="$(winpath "$work/exit")" running="setup.exe=$(winpath "$work/running")" "${readback[@]}" \
    > "$work/robot.out" 2>&1 || status=$?
  kill "$agent" 2>/dev/null || true
  if [ "$status" -ne 0 ]; then
    cat "$work/robot.out" >&2
    "$wineserver" -k || true
    fail "the robot's steps did not hold (robot exit $status)"
  fi
  exit_code=$(cat "$work/exit")
}

expect_eq() { [ "$1" == "$2" ] || fail "$3: got [$1], expected [$2]"; }
expect_load() {
  local got
  got=$(load_line) || fail "cannot read the load line"
  expect_eq "$got" "$1" "load line"
}

notice=(wait="Installing Additional Software" title="Installing Additional Software"
        text="$(id IDC_DEVICENAME)=Halvern 56000 Voice Video Faxmodem" checked="$(id IDC_DONTSHOW)=0" centred icon)
prompt_title="Quorra 28.8 Telvanor Installation"
prompt=(wait="$prompt_title" centred text="$(id IDC_CAPTION)=Additional files are needed for your device."
        text="$(id IDC_DISKLABEL)=Please insert the disk labeled \"Quorra 28.8 Telvanor Install Disk\" in the drive specified below and click OK")
error_title="There was an error running the Telvanor installation program!"
ok=$(id IDOK)
cancel=$(id IDCANCEL)
dontshow=$(id IDC_DONTSHOW)
drive=$(id IDC_DRIVE)
program=$(id IDC_PROGRAM)
line="$others_head $self $others_tail"
removed="$others_head $others_tail"
cd_start='E:\setup.exe|E:\.\setup.exe /noprompt'

case $scenario in
typical | signed)
  # signed: the typical run of the release's Authenticode-signed file, which the certificate table
  # changes nothing of. The pictures are the typical run's.
  set_load "$line"
  pictures=()
  if [ "$scenario" = typical ]; then
    shoot notice
    pictures=("${shot[@]}")
  fi
  run_corven "${notice[@]}" "${pictures[@]}" xclick="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record "$cd_start"
  ;;
started_as_load)
  # Started as the shell starts load= programs: STARTUPINFO asks for SW_SHOWMINNOACTIVE. Wine
  # ignores that state for dialogs, so this guards the start-up path against regressions; that
  # every dialog still comes up restored and active is shown by the host tests alone.
  set_load "$line"
  start_verb=startshell
  run_corven "${notice[@]}" xclick="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record "$cd_start"
  ;;
recorded_wins)
  set_load "$line"
  mkdir -p "$drive_c/Drivers/Halvern"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/Drivers/Halvern/setup.exe"
  record_mru 'C:\Drivers\Halvern'
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_record 'C:\Drivers\Halvern\setup.exe|C:\Drivers\Halvern\.\setup.exe /noprompt'
  ;;
cancel_clear)
  set_load "$line"
  before=$line
  run_corven "${notice[@]}" click="$cancel" gone
  expect_eq "$exit_code" 2 "exit code"
  expect_load "$before"
  expect_record ""
  ;;
notice_escape)
  set_load "$line"
  before=$line
  run_corven "${notice[@]}" xkey=Escape gone
  expect_eq "$exit_code" 2 "exit code"
  expect_load "$before"
  expect_record ""
  ;;
cancel_ticked)
  set_load "$line"
  run_corven "${notice[@]}" tick="$dontshow" checked="$dontshow=1" click="$cancel" gone
  expect_eq "$exit_code" 2 "exit code"
  expect_load "$removed"
  expect_record ""
  ;;
ticked_ok)
  set_load "$line"
  run_corven "${notice[@]}" xclick="$dontshow" checked="$dontshow=1" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record "$cd_start"
  ;;
disk_prompt_typed)
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/Install"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/Install/setup.exe"
  shoot disk-prompt
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" selected="$drive=1" "${shot[@]}" \
    xtype="$drive=c:\\install" text="$drive=C:\\INSTALL" xclick="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record 'C:\Install\setup.exe|C:\INSTALL\.\setup.exe /noprompt'
  ;;
browse)
  # Browse loads the Open dialog only now; the user picks setup.exe in a folder and presses Enter.
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/Install"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/Install/setup.exe"
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" xclick="$(id IDC_BROWSE)" wait=Open \
    xtext='C:\Install\setup.exe' xkey=Return gone wait="$prompt_title" text="$drive=C:\INSTALL" \
    xclick="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record 'C:\Install\setup.exe|C:\INSTALL\setup.exe /noprompt'
  ;;
prompt_click_stops)
  # A click on the prompt's face (here on its icon) stops the animation for good.
  set_load "$line"
  no_cd_setup
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" animating xicon still pause=1000 still \
    click="$cancel" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  ;;
launch_error)
  set_load "$line"
  no_cd_setup
  shoot launch-error
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" type="$drive=c:\\nope" click="$ok" \
    wait="$error_title" centred text="$program=C:\\NOPE\\.\\setup.exe" "${shot[@]}" \
    click="$(id IDNO)" gone wait="$prompt_title" type="$drive=c:\\nope2" click="$ok" wait="$error_title" \
    text="$program=C:\\NOPE2\\.\\setup.exe" click="$cancel" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record ""
  ;;
prompt_escape)
  set_load "$line"
  no_cd_setup
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" escape gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  ;;
long_line)
  head=""; tail=""
  for i in $(seq 1 20); do head+="C:\\apps\\helper$i\\agent.exe "; tail+=" D:\\tools\\program$i.exe"; done
  set_load "$head$self$tail"
  [ ${#head} -gt 250 ] || fail "the line is not long"
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expected=$(printf '%s%s' "$head" "${tail# }")
  expect_load "$expected"
  ;;
read_only)
  # Root Wine writes a read-only win.ini anyway (and the registry personality keeps the line
  # elsewhere): the run must simply end as usual, with no crash.
  set_load "$line"
  chmod a-w "$drive_c/windows/win.ini"
  run_corven "${notice[@]}" click="$ok" gone
  chmod u+w "$drive_c/windows/win.ini"
  expect_eq "$exit_code" 1 "exit code"
  expect_record "$cd_start"
  ;;
blank_path)
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/My Setup"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/My Setup/setup.exe"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/My.exe"
  record_mru 'C:\My Setup'
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_record 'C:\My Setup\setup.exe|"C:\My Setup\.\setup.exe" /noprompt'
  ;;
huge_line)
  # Written with the A functions, a value of 32,767 characters or more would be deleted by the
  # write, so a real Windows 95 keeps the line as it was (a host test shows it). Wine has the W
  # functions on both personalities, and in Unicode the line loses Corven's entry alone.
  filler=""
  while [ ${#filler} -lt 16700 ]; do filler+="C:\\apps\\program.exe "; done
  big="$filler$self ${filler}x.exe"
  [ ${#big} -ge 33400 ] || fail "the line is not long enough"
  set_load "$big"
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_record "$cd_start"
  expect_load "$filler${filler}x.exe"
  ;;
tabs | commas)
  [ "$scenario" = tabs ] && sep=$'\t' || sep=,
  set_load "$others_head$sep$self$sep$others_tail"
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$others_head$sep$others_tail"
  ;;
cyrillic)
  # NT keeps the path in Unicode in the registry, and Corven edits it there in Unicode, whatever
  # the code page. A Windows 95 win.ini holds the bytes of its own code page, and they stay.
  if [ "$personality" = registry ]; then
    set_load "C:\\Программы\\app.exe $self $others_tail"
    expected="C:\\Программы\\app.exe $others_tail"
  else
    russian=$'\xcf\xf0\xee\xe3\xf0\xe0\xec\xec\xfb'
    set_load "C:\\$russian\\app.exe $self $others_tail"
    expected="C:\\$russian\\app.exe $others_tail"
  fi
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$expected"
  ;;
quoted_entry)
  # The registry keeps every quote: Corven goes and the quoted path stays as it is. A win.ini file
  # would strip the quotes of what is left, so there the line stays as it was.
  quoted='"C:\Program Files\Vendor\tray.exe"'
  set_load "$quoted $self"
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  if [ "$personality" = registry ]; then expect_load "$quoted "; else expect_load "$quoted $self"; fi
  ;;
reports_win95)
  # Told it runs on Windows 95, as a compatibility mode tells it, Corven still finds the W profile
  # functions and edits the registry's line in Unicode: the Cyrillic and Greek paths stay whole.
  # The robot takes the setting away again after Corven's end, and should the run fail before,
  # the trap does: it is never left for the next scenario of this prefix.
  app_defaults='Software\Wine\AppDefaults\CORVEN.EXE'
  regset "$app_defaults" Version win95
  trap 'kill $(jobs -p) 2>/dev/null || true
        [ -n "${passed:-}" ] || "$wine" reg delete "HKCU\\$app_defaults" /f >/dev/null 2>&1 || true' EXIT
  set_load "C:\\Программы\\app.exe $self C:\\Εφαρμογές\\b.exe"
  readback+=("regdelete=$app_defaults")
  run_corven "${notice[@]}" click="$ok" gone
  passed=1
  expect_eq "$exit_code" 1 "exit code"
  expect_load "C:\\Программы\\app.exe C:\\Εφαρμογές\\b.exe"
  ;;
quoted_x86)
  # 64-bit Windows: the registry keeps every quote of a 32-bit program's path under Program Files
  # (x86); Corven reads the win.ini mapping in the system's view and takes only its own entry.
  quoted='"C:\Program Files (x86)\Vendor\tray.exe"'
  set_load "$quoted $self"
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$quoted "
  expect_record "$cd_start"
  ;;
isdn)
  # The ISDN modem's Corven shows no notice and lists its companion where Corven itself lies, so
  # that the shell finds it there.
  set_load "$line"
  run_corven
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed C:\\windows\\$folder\\TELVANOR.101\\TELVANOR.EXE"
  expect_record "$cd_start"
  ;;
quoted_record)
  # A quote in a recorded location would end the quoted program path and start evil.exe.
  set_load "$line"
  no_cd_setup
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/tools/evil.exe"
  record_mru 'C:\Tools\evil.exe" "x'
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" text="$drive=E:\\" escape gone
  expect_eq "$exit_code" 1 "exit code"
  expect_record ""
  ;;
exit_*)
  # Every way out of every dialog, with real input: its buttons, Enter, Escape, the close box and
  # Alt+F4, the notice's box ticked and clear.
  set_load "$line"
  before=$line
  way=${scenario#exit_}
  case $way in notice_*) ;; *) no_cd_setup ;; esac
  mkdir -p "$drive_c/Install"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/Install/setup.exe"
  tick=()
  case $way in *_ticked) tick=(xclick="$dontshow" checked="$dontshow=1") ;; esac
  to_error=(click="$ok" "${prompt[@]}" type="$drive=c:\\nope" click="$ok" wait="$error_title" centred icon)
  typed_start='C:\Install\setup.exe|C:\INSTALL\.\setup.exe /noprompt'
  case $way in
  notice_enter | notice_enter_ticked) steps=("${tick[@]}" xkey=Return); code=1 after=$removed rec=$cd_start ;;
  notice_escape_ticked) steps=("${tick[@]}" xkey=Escape); code=2 after=$removed rec="" ;;
  notice_closebox) steps=(xclosebox); code=0 after=$removed rec=$cd_start ;;
  notice_closebox_ticked) steps=("${tick[@]}" xclosebox); code=1011 after=$removed rec=$cd_start ;;
  notice_altf4) steps=(xkey=alt+F4); code=0 after=$removed rec=$cd_start ;;
  notice_altf4_ticked) steps=("${tick[@]}" xkey=alt+F4); code=1011 after=$removed rec=$cd_start ;;
  prompt_enter) steps=(click="$ok" "${prompt[@]}" xtype="$drive=c:\\install" xkey=Return); code=1 after=$removed rec=$typed_start ;;
  prompt_altf4) steps=(click="$ok" "${prompt[@]}" xkey=alt+F4); code=1 after=$before rec="" ;;
  error_retry) steps=("${to_error[@]}" xclick="$(id IDYES)" gone wait="$error_title" count="$error_title=1"
                      xclick="$cancel"); code=1 after=$removed rec="" ;;
  error_enter) steps=("${to_error[@]}" xkey=Return gone wait="$error_title" count="$error_title=1"
                      xclick="$cancel"); code=1 after=$removed rec="" ;;
  error_escape) steps=("${to_error[@]}" xkey=Escape); code=1 after=$removed rec="" ;;
  error_closebox) steps=("${to_error[@]}" xclosebox gone wait="$prompt_title" escape); code=1 after=$removed rec="" ;;
  error_altf4) steps=("${to_error[@]}" xkey=alt+F4 gone wait="$prompt_title" escape); code=1 after=$removed rec="" ;;
  error_owner)
    # While the launch-error dialog shows, the prompt under it takes no input: with the dialog
    # dragged off the prompt's OK, a click on that OK and Enter sent to the prompt start no second
    # launch (and no second launch-error dialog).
    steps=("${to_error[@]}" move=0,250 wait="$prompt_title" disabled xclick="$ok" enter wait="$error_title"
           count="$error_title=1" xclick="$cancel")
    code=1 after=$removed rec="" ;;
  *) fail "no such way out" ;;
  esac
  run_corven "${notice[@]}" "${steps[@]}" gone
  expect_eq "$exit_code" "$code" "exit code"
  expect_load "$after"
  expect_record "$rec"
  ;;
dbcs_line)
  # Japanese Windows: ト is 83 67 and ソ 83 5C, 表 95 5C: second bytes that read as letters and as
  # a backslash. Every other program's entry comes back to the byte.
  others="C:\\ソフト\\ツール.EXE C:\\表示\\b.exe"
  set_load "C:\\ソフト\\ツール.EXE $self C:\\表示\\b.exe"
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$others"
  expect_record "$cd_start"
  ;;
dbcs_record)
  # A recorded location ending in 能 (94 5C) is not one ending in a backslash.
  set_load "$line"
  mkdir -p "$drive_c/ソフト/機能"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/ソフト/機能/setup.exe"
  record_mru 'C:\ソフト\機能'
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record 'C:\ソフト\機能\setup.exe|C:\ソフト\機能\.\setup.exe /noprompt'
  ;;
dbcs_browse)
  # Browse into a folder ending in ソ (83 5C): the folder keeps its last character.
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/表示/ソ"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/表示/ソ/setup.exe"
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" xclick="$(id IDC_BROWSE)" wait=開く \
    settext='C:\表示\ソ\setup.exe' xkey=Return gone wait="$prompt_title" text="$drive=C:\表示\ソ" \
    xclick="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record 'C:\表示\ソ\setup.exe|C:\表示\ソ\setup.exe /noprompt'
  ;;
unicode_recorded_cyrillic | unicode_recorded_chinese)
  # A folder named in another script, on a Western NT (code page 1252 lacks every character of
  # it), as a user's profile or download folder often is: the record is read in Unicode, and
  # setup.exe starts from that folder.
  [ "$scenario" = unicode_recorded_cyrillic ] && name=Установка || name=驱动程序
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/$name"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/$name/setup.exe"
  record_mru "C:\\$name"
  run_corven "${notice[@]}" click="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record "C:\\$name\\setup.exe|C:\\$name\\.\\setup.exe /noprompt"
  ;;
unicode_typed)
  # The same folder typed into the disk prompt, each character sent to its edit field as the
  # keyboard sends it: the prompt's Unicode window keeps them, and its upper case is Cyrillic's.
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/Установка"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/Установка/setup.exe"
  python3 "$here/loadvalue.py" utf16-write "$work/typed" 'c:\установка'
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" wtype="$drive=$(winpath "$work/typed")" xclick="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record 'C:\УСТАНОВКА\setup.exe|C:\УСТАНОВКА\.\setup.exe /noprompt'
  ;;
unicode_browse)
  # Browse to setup.exe in a Chinese folder: the Unicode Open dialog hands the folder on whole.
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/驱动程序"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/驱动程序/setup.exe"
  python3 "$here/loadvalue.py" utf16-write "$work/chosen" 'C:\驱动程序\setup.exe'
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" xclick="$(id IDC_BROWSE)" wait=Open \
    wsettext="$(winpath "$work/chosen")" xkey=Return gone wait="$prompt_title" xclick="$ok" gone
  expect_eq "$exit_code" 1 "exit code"
  expect_load "$removed"
  expect_record 'C:\驱动程序\setup.exe|C:\驱动程序\setup.exe /noprompt'
  ;;
codepage_*)
  # What winsim simulates of this code page, checked on the real platform.
  "$wine" "$build/tests/e2e/platform_probe.exe" "${scenario#codepage_}" > "$work/probe.out" 2>&1 ||
    { cat "$work/probe.out" >&2; fail "the platform probe failed"; }
  cat "$work/probe.out"
  ;;
animation)
  # For the README's animated picture of the disk prompt (tools/pictures.sh): three seconds of it.
  set_load "$line"
  no_cd_setup
  film "$build/screenshots/animation" 3
  run_corven "${notice[@]}" click="$ok" "${prompt[@]}" mark="$mark" pause=3600 escape gone
  expect_eq "$exit_code" 1 "exit code"
  ;;
demo)
  # The README's run command: the typical run, slowly enough to watch.
  set_load "$line"
  echo "load= before: $line"
  shoot demo
  run_corven "${notice[@]}" pause=2000 mark="$mark" pause=1500 xclick="$ok" gone
  echo "exit code:    $exit_code"
  echo "load= after:  $(load_line)"
  echo "setup.exe ran as: $(record | cut -d'|' -f2)"
  echo "screenshot:   $build/screenshots/demo.png"
  ;;
*)
  fail "no such scenario"
  ;;
esac
echo "PASS: $scenario ($personality)"
