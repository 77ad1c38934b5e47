#!/bin/sh
# The installer as a user meets it, under Wine in a fresh C: drive of its own:
#   tools/installer-test-windows.sh <orbelune-…-setup.exe> <orbelune-…-windows-x64.zip>
# install   an older version first (built here from the same script), then this one over it,
#           silently (/S): refused while the older program runs; then the older version's
#           files have gone, the folder holds exactly the zip's files and the uninstaller, a
#           file the user saved in it is kept, the Start-menu and desktop shortcuts and the
#           entry in Apps & features are there
# start     the program from its Start-menu shortcut, until its window shows (smoke-windows.sh)
# uninstall silently: the user's profile and registry are as they were before the install
set -eu

setup=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
zip=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
version=$(basename "$setup" | sed 's/^orbelune-\(.*\)-windows-x64-setup\.exe$/\1/')
wine=/usr/lib/wine/wine64

work=$(mktemp -d)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
# No menu entries or desktop files on this machine for the shortcuts made inside Wine.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
fail() {
    echo "installer-test-windows: $*" >&2
    exit 1
}

"$wine" wineboot --init >/dev/null 2>&1
wineserver -w
# Wine links Desktop, Documents … to this machine's home folder: real folders instead, so that
# nothing the installer makes lands outside the prefix.
find "$WINEPREFIX/drive_c/users" -type l | while read -r link; do rm "$link" && mkdir "$link"; done
profile=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public)
folder=$profile/AppData/Local/Programs/Orbelune
shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Orbelune.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orbelune'

# Every file and folder of the user's profile, and every key of HKEY_CURRENT_USER. The
# uninstaller's own copy in Temp, which a running program cannot delete, is left out.
snapshot() {
    wineserver -w
    (cd "$profile" && find . ! -path './Temp/~nsu*' | LC_ALL=C sort)
    sed -n 's/^\(\[[^]]*\]\).*/\1/p' "$WINEPREFIX/user.reg" | LC_ALL=C sort
}
run_setup() {
    "$wine" "$1" /S || fail "$(basename "$1") /S ended with exit code $?"
    wineserver -w
}
snapshot >"$work/before.txt"

# An older version: two files, one of which this version no longer has. Its program is a copy of
# Wine's ping, which runs for as long as it is told without a display.
mkdir "$work/old"
cp "$WINEPREFIX/drive_c/windows/system32/ping.exe" "$work/old/orbelune.exe"
echo old >"$work/old/gone.dll"
printf 'Delete "$INSTDIR\\%s"\n' orbelune.exe gone.dll >"$work/old-files.nsh"
LC_ALL=C.UTF-8 makensis -V1 -INPUTCHARSET UTF8 -DVERSION=0.9.0 -DSTAGE="$work/old" \
    -DICON=/usr/share/nsis/Contrib/Graphics/Icons/modern-install.ico \
    -DOUTFILE="$work/orbelune-0.9.0-windows-x64-setup.exe" -DSIZE_KB=1 -DHOMEPAGE=none \
    -DFILE_LIST="$work/old-files.nsh" "$here/dist/windows/orbelune.nsi" >/dev/null
run_setup "$work/orbelune-0.9.0-windows-x64-setup.exe"
[ -f "$folder/gone.dll" ] || fail "the older version did not install into $folder"
saved=$folder/我的号码.txt
echo "01,02,03,04,05,06 07" >"$saved"

# While the older program runs, the update refuses and leaves the older version whole.
"$wine" "$folder/orbelune.exe" -n 120 127.0.0.1 >/dev/null 2>&1 &
running=$!
sleep 2
"$wine" "$setup" /S && fail "the update went on while the older program was running"
[ -f "$folder/gone.dll" ] || fail "the refused update removed the older version's files"
kill "$running"
wait "$running" 2>/dev/null || true
run_setup "$setup"
[ "$(cat "$saved" 2>/dev/null)" = "01,02,03,04,05,06 07" ] || fail "the update lost the user's file"
rm "$saved"
unzip -Z1 "$zip" | sed -n 's|^[^/]*/\(.*[^/]\)$|\1|p' | LC_ALL=C sort >"$work/expected.txt"
echo uninstall.exe >>"$work/expected.txt"
(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$work/installed.txt"
LC_ALL=C sort -o "$work/expected.txt" "$work/expected.txt"
diff "$work/expected.txt" "$work/installed.txt" >&2 \
    || fail "the install folder does not hold exactly the zip's files and uninstall.exe"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
[ -f "$profile/Desktop/Orbelune.lnk" ] || fail "no desktop shortcut"
"$wine" reg query "$key" | tr -d '\r' >"$work/key.txt" || fail "no key $key"
value() { sed -n "s/^ *$1 *REG_[A-Z]* *//p" "$work/key.txt"; }
uninstaller='C:\users\'$(basename "$profile")'\AppData\Local\Programs\Orbelune\uninstall.exe'
[ "$(value DisplayName)" = Orbelune ] || fail "DisplayName is \"$(value DisplayName)\""
[ "$(value DisplayVersion)" = "$version" ] || fail "DisplayVersion is \"$(value DisplayVersion)\""
[ "$(value UninstallString)" = "\"$uninstaller\"" ] || fail "UninstallString: $(value UninstallString)"
[ "$(value QuietUninstallString)" = "\"$uninstaller\" /S" ] || fail "QuietUninstallString"
case "$(value DisplayIcon)" in *'\orbelune.exe,0') ;; *) fail "DisplayIcon: $(value DisplayIcon)" ;; esac
case "$(value URLInfoAbout)" in http*) ;; *) fail "URLInfoAbout: $(value URLInfoAbout)" ;; esac
[ -n "$(value Publisher)" ] || fail "no Publisher"
[ "$(value NoModify)$(value NoRepair)" = 0x10x1 ] || fail "NoModify, NoRepair are not 1"
size=$(($(value EstimatedSize)))
[ "$size" -gt 10000 ] || fail "EstimatedSize is $size KB"
echo "installer-test-windows: install: $(wc -l <"$work/installed.txt") files over version 0.9.0, shortcuts, the entry in Apps & features ($size KB)"

"$here/tools/smoke-windows.sh" "$shortcut" >"$work/start.txt" || fail "the installed program failed"
sed 's/^smoke-windows: passed:/installer-test-windows: start: from the shortcut,/' "$work/start.txt"

"$wine" "$folder/uninstall.exe" /S || fail "uninstall.exe /S ended with exit code $?"
snapshot >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" >&2 || fail "the uninstaller left the lines above"
echo "installer-test-windows: uninstall: the profile's files and HKCU's keys as before the install"
