#!/usr/bin/env bash
# One end-to-end scenario: the real CORVEN.EXE (x86_64) in a Wine prefix of its own, its entry on
# the load= line beside other programs', a folder mapped as CD-ROM drive E: with a stand-in
# setup.exe that writes down its command line, and the robot acting as the user.
# Usage: run.sh SCENARIO BUILD_FOLDER
set -euo pipefail
scenario=$1
build=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all WINEPREFIX=$build/e2e-prefix
drive_c=$WINEPREFIX/drive_c
cd_folder=$build/e2e-cd
windows_key='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'
self='C:\windows\system32\TELVANOR.101\CORVEN.EXE'
others_head='C:\tools\agent.exe'
others_tail='c:\Tools\Other.exe'

fail() { echo "FAIL: $scenario: $*"; exit 1; }

# The display: the one given if it answers, else Xvfb on :93, kept for the whole suite.
source "$source_dir/tools/display.sh"
use_display 93

# The prefix, made once: a virtual desktop (so captions are drawn) and E: as a CD-ROM drive.
if ! [ -f "$WINEPREFIX/.corven-ready" ]; then
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
  "$wine" reg add 'HKLM\Software\Wine\Drives' /v e: /d cdrom /f >/dev/null
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/.corven-ready"
fi
/usr/lib/wine/wineserver -p 60 >/dev/null 2>&1 || true

# This scenario's machine: Corven installed, the CD with setup.exe, nothing recorded or started.
mkdir -p "$drive_c/windows/system32/TELVANOR.101" "$drive_c/tools"
cp "$build/app/CORVEN.EXE" "$drive_c/windows/system32/TELVANOR.101/CORVEN.EXE"
rm -rf "$cd_folder" "$drive_c/Install" "$drive_c/Drivers" "$drive_c/My Setup" "$drive_c/My.exe"
mkdir -p "$cd_folder"
cp "$build/tests/e2e/setup_standin.exe" "$cd_folder/setup.exe"
ln -sfn "$cd_folder" "$WINEPREFIX/dosdevices/e:"
rm -f "$drive_c/setup-record.txt" "$build/e2e-mark"
chmod u+w "$drive_c/windows/win.ini" 2>/dev/null || true
"$wine" reg delete 'HKCU\InstallLocationsMRU' /f >/dev/null 2>&1 || true

set_load() { "$wine" reg add "$windows_key" /v load /t REG_SZ /d "$1" /f >/dev/null; }
load_line() { "$wine" reg query "$windows_key" /v load | tr -d '\r' | sed -n 's/^ *load *REG_SZ *//p'; }
record() { [ -f "$drive_c/setup-record.txt" ] && tr -d '\r' < "$drive_c/setup-record.txt" || true; }
record_mru() {
  "$wine" reg add 'HKCU\InstallLocationsMRU' /v MRUList /d a /f >/dev/null
  "$wine" reg add 'HKCU\InstallLocationsMRU' /v a /d "$1" /f >/dev/null
}
no_cd_setup() { rm -f "$cd_folder/setup.exe"; }
mark=$("$wine" winepath -w "$build/e2e-mark" 2>/dev/null | tr -d '\r')

# A screenshot of the dialog the robot marks, cropped to its rectangle.
shoot() {
  local name=$1
  ( for _ in $(seq 100); do [ -s "$build/e2e-mark" ] && break; sleep 0.1; done
    [ -s "$build/e2e-mark" ] || exit 0  # the robot never marked it: its own failure says why
    read -r x y w h < "$build/e2e-mark"
    mkdir -p "$build/screenshots"
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$build/screenshots/$name.png" ) &
}

# Runs Corven with the robot's steps; sets $exit_code.
run_corven() {
  "$wine" "$self" &
  local corven=$!
  if ! "$wine" "$build/tests/e2e/robot.exe" "$@"; then
    kill "$corven" 2>/dev/null || true
    /usr/lib/wine/wineserver -k || true
    fail "the robot's steps did not hold"
  fi
  set +e
  wait "$corven"
  exit_code=$?
  set -e
}

expect_eq() { [ "$1" == "$2" ] || fail "$3: got [$1], expected [$2]"; }

notice=(wait="Installing Additional Software" title="Installing Additional Software"
        text=1010="Halvern 56000 Voice Video Faxmodem" checked=1011=0 centred)
prompt_title="Quorra 28.8 Telvanor Installation"
prompt=(wait="$prompt_title" centred text=1001="Additional files are needed for your device."
        text=1002='Please insert the disk labeled "Quorra 28.8 Telvanor Install Disk" in the drive specified below and click OK')
error_title="There was an error running the Telvanor installation program!"
line="$others_head $self $others_tail"
removed="C:\\TOOLS\\AGENT.EXE C:\\TOOLS\\OTHER.EXE"
cd_start='E:\setup.exe|E:\.\setup.exe /noprompt'

case $scenario in
typical)
  set_load "$line"
  shoot notice
  run_corven "${notice[@]}" mark="$mark" pause=1500 click=1 gone
  expect_eq "$exit_code" 1 "exit code"
  expect_eq "$(load_line)" "$removed" "load line"
  expect_eq "$(record)" "$cd_start" "setup's record"
  ;;
recorded_wins)
  set_load "$line"
  mkdir -p "$drive_c/Drivers/Halvern"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/Drivers/Halvern/setup.exe"
  record_mru 'C:\Drivers\Halvern'
  run_corven "${notice[@]}" click=1 gone
  expect_eq "$exit_code" 1 "exit code"
  expect_eq "$(record)" 'C:\Drivers\Halvern\setup.exe|C:\Drivers\Halvern\.\setup.exe /noprompt' "setup's record"
  ;;
cancel_clear)
  set_load "$line"
  before=$(load_line)
  run_corven "${notice[@]}" click=2 gone
  expect_eq "$exit_code" 2 "exit code"
  expect_eq "$(load_line)" "$before" "load line"
  expect_eq "$(record)" "" "setup's record"
  ;;
cancel_ticked)
  set_load "$line"
  run_corven "${notice[@]}" tick=1011 checked=1011=1 click=2 gone
  expect_eq "$exit_code" 2 "exit code"
  expect_eq "$(load_line)" "$removed" "load line"
  expect_eq "$(record)" "" "setup's record"
  ;;
ticked_ok)
  set_load "$line"
  run_corven "${notice[@]}" tick=1011 click=1 gone
  expect_eq "$exit_code" 1 "exit code"
  expect_eq "$(load_line)" "$removed" "load line"
  expect_eq "$(record)" "$cd_start" "setup's record"
  ;;
disk_prompt_typed)
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/Install"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/Install/setup.exe"
  shoot disk-prompt
  run_corven "${notice[@]}" click=1 "${prompt[@]}" selected=1006=1 mark="$mark" pause=1500 \
    type=1006='c:\install' click=1 gone
  expect_eq "$exit_code" 1 "exit code"
  expect_eq "$(load_line)" "$removed" "load line"
  expect_eq "$(record)" 'C:\Install\setup.exe|C:\INSTALL\.\setup.exe /noprompt' "setup's record"
  ;;
launch_error)
  set_load "$line"
  no_cd_setup
  shoot launch-error
  run_corven "${notice[@]}" click=1 "${prompt[@]}" type=1006='c:\nope' click=1 \
    wait="$error_title" centred text=1007='C:\NOPE\.\setup.exe' mark="$mark" pause=1500 click=7 gone \
    wait="$prompt_title" type=1006='c:\nope2' click=1 wait="$error_title" text=1007='C:\NOPE2\.\setup.exe' click=2 gone
  expect_eq "$exit_code" 1 "exit code"
  expect_eq "$(load_line)" "$removed" "load line"
  expect_eq "$(record)" "" "setup's record"
  ;;
prompt_escape)
  set_load "$line"
  no_cd_setup
  run_corven "${notice[@]}" click=1 "${prompt[@]}" escape gone
  expect_eq "$exit_code" 1 "exit code"
  expect_eq "$(load_line)" "$removed" "load line"
  ;;
long_line)
  head=""; tail=""
  for i in $(seq 1 20); do head+="C:\\apps\\helper$i\\agent.exe "; tail+=" D:\\tools\\program$i.exe"; done
  set_load "$head$self$tail"
  [ ${#head} -gt 250 ] || fail "the line is not long"
  run_corven "${notice[@]}" click=1 gone
  expect_eq "$exit_code" 1 "exit code"
  expected=$(printf '%s%s' "$head" "${tail# }" | tr 'a-z' 'A-Z')
  expect_eq "$(load_line)" "$expected" "load line"
  ;;
read_only)
  # Root Wine writes a read-only win.ini anyway, and the load value lives in the registry: the
  # run must simply end as usual, with no crash.
  set_load "$line"
  chmod a-w "$drive_c/windows/win.ini"
  run_corven "${notice[@]}" click=1 gone
  chmod u+w "$drive_c/windows/win.ini"
  expect_eq "$exit_code" 1 "exit code"
  expect_eq "$(record)" "$cd_start" "setup's record"
  ;;
blank_path)
  set_load "$line"
  no_cd_setup
  mkdir -p "$drive_c/My Setup"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/My Setup/setup.exe"
  cp "$build/tests/e2e/setup_standin.exe" "$drive_c/My.exe"
  record_mru 'C:\My Setup'
  run_corven "${notice[@]}" click=1 gone
  expect_eq "$exit_code" 1 "exit code"
  expect_eq "$(record)" 'C:\My Setup\setup.exe|"C:\My Setup\.\setup.exe" /noprompt' "setup's record"
  ;;
demo)
  # The README's run command: the typical run, slowly enough to watch.
  set_load "$line"
  echo "load= before: $(load_line)"
  shoot demo
  run_corven "${notice[@]}" pause=2000 mark="$mark" pause=1500 click=1 gone
  echo "exit code:    $exit_code"
  echo "load= after:  $(load_line)"
  echo "setup.exe ran as: $(record | cut -d'|' -f2)"
  echo "screenshot:   $build/screenshots/demo.png"
  ;;
*)
  fail "no such scenario"
  ;;
esac
echo "PASS: $scenario"
