#!/usr/bin/env bash
# The x64 setup end to end under Wine, in a fresh prefix of its own (the other
# Windows tests keep theirs):
#   1. an older version's setup installs silently: files, Add/Remove Programs
#      entry, shortcuts, COM registrations of the keyboard and the shell
#      extension;
#   2. a setting is changed and a file put into quarantine; this version's
#      setup installs over it: the setting, the quarantine and the folder stay,
#      the entry shows the new version;
#   3. the installed program starts with a folder path and scans it: the scan
#      ends with its registry marker and the detections are in the installed
#      Log folder;
#   4. the silent uninstaller removes every file, shortcut, registration and
#      registry key the setup and the program wrote, and keeps the quarantine;
#   5. a setup with /NOSHELL /NODESKTOP leaves the Explorer menu and the
#      desktop shortcut out, and /REMOVEQUARANTINE removes the quarantine.
#
# usage: setup_test.sh SETUP OLD_SETUP DEMO_TREE_EXE WORK_FOLDER
set -uo pipefail
setup=${1:?setup} old_setup=${2:?older setup} demo_tree_exe=${3:?demo tree writer} work=${4:?work folder}

export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)

failures=0
started=$(date +%s)
step() { echo "== $* ($(( $(date +%s) - started )) s)"; }
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then echo "ok   $what"; else echo "FAIL $what"; failures=$((failures + 1)); fi
}
reg_has_key() { "$wine" reg query "$1" >/dev/null 2>&1; }
reg_lacks_key() { ! reg_has_key "$1"; }
reg_value() {  # the data of a value, or nothing
  "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '
    { line = $0; sub(/^[ \t]+/, "", line) }
    index(line, name) == 1 { rest = substr(line, length(name) + 1); sub(/^[ \t]+REG_[A-Z_]+[ \t]+/, "", rest); print rest }'
}
finish() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
}
trap finish EXIT

c="$WINEPREFIX/drive_c"
program_dir="$c/Program Files/KESTRO Antivirus"
win_program_dir='C:\Program Files\KESTRO Antivirus'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KESTRO Antivirus'
settings_key='HKCU\Software\KESTRO'
keyboard_key='HKCR\Virtual.frUtama'
extc_key='HKCR\CLSID\{956D4D60-CC93-4106-8508-22C730049DEE}'
extc_menu_key='HKCR\Folder\ShellEx\ContextMenuHandlers\KESTROExtc'
quarantine="$c/[ KESTRO ]"
start_menu="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/KESTRO Antivirus"
desktop_link="$c/users/Public/Desktop/KESTRO Antivirus.lnk"
installed_files=("KESTRO Antivirus.exe" KESTROEngine.dll KESTROGui.dll KESTROInet.dll KESTROKeyboard.dll
                 KESTROExtc.dll RARExtract.dll DB_0x.avn DB_1x.avn DB_2x.avn Sound/detected.wav
                 Sound/finished.wav Uninstall.exe)
all_installed() { local f; for f in "${installed_files[@]}"; do [ -f "$program_dir/$f" ] || { echo "  missing $f"; return 1; }; done; }
any_installed() { local f; for f in "${installed_files[@]}"; do [ -e "$program_dir/$f" ] && { echo "  left $f"; return 0; }; done; return 1; }
no_file_left() { [ ! -e "$program_dir" ] || { find "$program_dir" | sed 's/^/  left /'; return 1; }; }
# The uninstaller copies itself away and returns at once: wait for the prefix
# to have no process left.
run_uninstaller() { "$wine" "$win_program_dir\\Uninstall.exe" "$@" >/dev/null 2>&1; wineserver -w; }

step "fresh prefix in $WINEPREFIX"
rm -rf "$work"
mkdir -p "$work"
"$wine" wineboot -i >/dev/null 2>&1
"$wine" winecfg -v win7 >/dev/null 2>&1
wineserver -w

step "install the older version silently"
"$wine" "$old_setup" /S >/dev/null 2>&1
check "setup exit status 0" [ $? -eq 0 ]
check "every program file installed" all_installed
check "Log folder created" [ -d "$program_dir/Log" ]
check "Add/Remove Programs entry names the older version" [ "$(reg_value "$uninstall_key" DisplayVersion)" != "" ]
old_version=$(reg_value "$uninstall_key" DisplayVersion)
check "Start-menu shortcuts" [ -f "$start_menu/KESTRO Antivirus.lnk" -a -f "$start_menu/Uninstall KESTRO Antivirus.lnk" ]
check "desktop shortcut" [ -f "$desktop_link" ]
check "keyboard registered (Virtual.frUtama)" reg_has_key "$keyboard_key"
check "shell extension registered" reg_has_key "$extc_key"
check "shell extension in the folder menu" reg_has_key "$extc_menu_key"

step "change a setting, quarantine a file, install this version over it"
"$wine" reg add "$settings_key" /v Sound /t REG_DWORD /d 0 /f >/dev/null 2>&1
mkdir -p "$quarantine"
printf 'HE3 stand-in' > "$quarantine/user-file.exe.vir"
"$wine" "$setup" /S >/dev/null 2>&1
check "setup exit status 0" [ $? -eq 0 ]
check "every program file installed" all_installed
new_version=$(reg_value "$uninstall_key" DisplayVersion)
check "Add/Remove Programs shows the new version ($old_version -> $new_version)" [ "$new_version" != "$old_version" ]
for value in DisplayName Publisher DisplayIcon UninstallString EstimatedSize; do
  check "Add/Remove Programs $value set" [ -n "$(reg_value "$uninstall_key" $value)" ]
done
check "DisplayName is the product" [ "$(reg_value "$uninstall_key" DisplayName)" = "KESTRO Antivirus" ]
check "the changed setting survives the upgrade" [ "$(reg_value "$settings_key" Sound)" = "0x0" ]
check "the quarantine survives the upgrade" [ -f "$quarantine/user-file.exe.vir" ]

step "the installed program scans a folder given on its command line"
# Explorer hands the folder over unquoted: the path has no blank, so the
# command line starts with the drive letter as the program expects.
demo="$work/demo"
"$wine" "$demo_tree_exe" "Z:${demo//\//\\}" >/dev/null 2>&1
check "demo tree written" [ -d "$demo" ]
"$wine" reg delete "$settings_key" /v VirusDetected /f >/dev/null 2>&1
"$wine" "$win_program_dir\\KESTRO Antivirus.exe" "Z:${demo//\//\\}" >/dev/null 2>&1 &
marker=""
for _ in $(seq 1 300); do
  marker=$(reg_value "$settings_key" VirusDetected)
  [ -n "$marker" ] && break
  sleep 0.5
done
check "the scan finished (VirusDetected = ${marker:-none})" [ -n "$marker" ]
log="$program_dir/Log/kestro.log"
check "log written in the installed Log folder" [ -f "$log" ]
check "the log names the scanned folder" grep -q 'setup-test\\demo' "$log"
check "the log lists the demo tree's detections" [ "$(grep -c 'setup-test\\demo\\' "$log")" -ge 4 ]
wineserver -k >/dev/null 2>&1
wineserver -w

step "silent uninstall keeps the quarantine"
run_uninstaller /S
check "program files removed" no_file_left
check "Add/Remove Programs entry removed" reg_lacks_key "$uninstall_key"
check "settings key removed" reg_lacks_key "$settings_key"
check "keyboard unregistered" reg_lacks_key "$keyboard_key"
check "shell extension unregistered" reg_lacks_key "$extc_key"
check "shell extension gone from the folder menu" reg_lacks_key "$extc_menu_key"
check "Start-menu folder removed" [ ! -e "$start_menu" ]
check "desktop shortcut removed" [ ! -e "$desktop_link" ]
check "extraction folder removed" [ ! -e "$c/windows/Temp/KESTRO" ]
check "quarantine kept" [ -f "$quarantine/user-file.exe.vir" ]

step "/NOSHELL /NODESKTOP, then /REMOVEQUARANTINE"
"$wine" "$setup" /S /NOSHELL /NODESKTOP >/dev/null 2>&1
check "installed" all_installed
check "no shell extension registered" reg_lacks_key "$extc_key"
check "no desktop shortcut" [ ! -e "$desktop_link" ]
check "keyboard registered" reg_has_key "$keyboard_key"
check "the Explorer menu setting is off for the program" [ "$(reg_value "$settings_key" Shell)" = "0x0" ]
run_uninstaller /S /REMOVEQUARANTINE
check "program files removed" no_file_left
check "quarantine removed on request" [ ! -e "$quarantine" ]

if [ "$failures" -ne 0 ]; then
  echo "setup_test: $failures check(s) failed"
  exit 1
fi
echo "setup_test: all checks passed in $(( $(date +%s) - started )) s"
