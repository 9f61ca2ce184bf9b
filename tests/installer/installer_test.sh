#!/bin/sh
# Installs Sievra silently into the wine prefix, runs the installed sv-cli.exe
# on the samples, uninstalls, and checks that nothing of it is left.
#
#   installer_test.sh WINE_RUN SETUP_EXE EXAMPLES_DIR WORK_DIR
set -eu
wine_run=$1 setup=$2 examples=$3 work=$4
prefix=$(dirname "$wine_run")/wineprefix
dir="$prefix/drive_c/SievraTest"
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VARNOK Sievra"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sievra'
settings_key='HKCU\Software\VB and VBA Program Settings\VARNOK SV'

fail() { echo "FAIL: $*" >&2; exit 1; }
# Z: is wine's drive for the whole Linux file system.
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

rm -rf "$dir" "$menu" "$work"
mkdir -p "$work"

# /D= must come last; wine would quote a path with spaces, which NSIS ignores.
"$wine_run" "$setup" /S '/D=C:\SievraTest' || fail "the installer exited with $?"
for f in sv.exe sv-cli.exe uninstall.exe; do
  [ -f "$dir/$f" ] || fail "$f is not installed"
done
[ -f "$menu/VARNOK Sievra.lnk" ] || fail "no Start-menu entry"
# Seen once under a loaded wine: the listing was not there at the first ask.
tries=0
until listed=$("$wine_run" reg query "$uninstall_key" /v DisplayName 2>&1); do
  tries=$((tries + 1))
  [ $tries -lt 20 ] || fail "not listed among the installed programs: $listed"
  sleep 0.5
done

cp "$examples/MainBase.dat" "$examples/new.rda" "$work/"
out=$("$wine_run" "$dir/sv-cli.exe" "$(windows_path "$work/MainBase.dat")" \
  "$(windows_path "$work/new.rda")") || fail "the installed sv-cli.exe exited with $?"
echo "$out" | grep -q '^Total dupes records: [1-9][0-9]*$' || fail "sv-cli.exe said: $out"
cmp -s "$examples/new.rda" "$work/new.rda.bak" || fail "the backup differs from the original"
[ -s "$work/new.rda.dup" ] || fail "no dupes file"

# The window's remembered position goes with the program.
"$wine_run" reg add "$settings_key\Pos" /v Left /d 1200 /f >/dev/null 2>&1 ||
  fail "cannot write the settings"

# The uninstaller copies itself away and returns at once; wait for it to
# finish its work, however long wine takes.
"$wine_run" "$dir/uninstall.exe" /S || fail "the uninstaller exited with $?"
tries=0
while [ -e "$dir" ] && [ $tries -lt 600 ]; do
  sleep 0.2
  tries=$((tries + 1))
done
[ ! -e "$dir" ] || fail "left behind: $(ls -A "$dir")"
[ ! -e "$menu" ] || fail "the Start-menu entry is left"
! "$wine_run" reg query "$uninstall_key" >/dev/null 2>&1 || fail "still listed as installed"
! "$wine_run" reg query "$settings_key" >/dev/null 2>&1 || fail "the settings are left"
rm -rf "$work"
echo "installed, ran and removed"
