#!/bin/sh
# Gathers the Windows program into the zip and the installer a user downloads:
#   tools/package-windows.sh <cross build folder> <Qt for Windows prefix> <version>
# writes orbelune-<version>-windows-x64.zip and orbelune-<version>-windows-x64-setup.exe beside
# the cross build folder. Both hold the same files: orbelune.exe, every DLL it loads (found by
# following the import tables from the exe and the plugins), the platform plugin, Qt's
# Simplified Chinese translations, the licence texts and 使用说明.txt; the installer adds its
# uninstaller.
set -eu

build=$(cd "$1" && pwd)
qt=$2
version=$3
here=$(cd "$(dirname "$0")/.." && pwd)
cache=${ORBELUNE_CACHE:-$HOME/.cache/orbelune}
triplet=x86_64-w64-mingw32
gcc_runtime=$(dirname "$($triplet-gcc-posix -print-libgcc-file-name)")
mingw_runtime=/usr/$triplet/lib

out=$(dirname "$build")
name=orbelune-$version-windows-x64
stage=$out/$name
zip=$out/$name.zip
setup=$out/$name-setup.exe
rm -rf "$stage" "$zip" "$setup"
mkdir -p "$stage/platforms" "$stage/translations" "$stage/licenses"

cp "$build/orbelune.exe" "$stage/"
# The platform plugin is loaded by name at start, so no import table names it. Fusion, the
# style the program sets, is built into Qt6Widgets: no style plugin is needed.
cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"

# Follow the import tables: every DLL named there that Qt or the MinGW runtime provides is
# copied beside the exe; the rest must be Windows' own.
dll_of() {
    for folder in "$qt/bin" "$gcc_runtime" "$mingw_runtime"; do
        found=$(find "$folder" -maxdepth 1 -iname "$1" | head -n 1)
        [ -n "$found" ] && { echo "$found"; return 0; }
    done
    return 1
}
# Windows' own DLLs, which every Windows 10 and 11 has.
system_dlls=" $(echo advapi32.dll authz.dll comdlg32.dll d3d9.dll d3d11.dll d3d12.dll \
    dwmapi.dll dwrite.dll dxgi.dll gdi32.dll imm32.dll kernel32.dll msvcrt.dll netapi32.dll \
    ole32.dll oleaut32.dll setupapi.dll shcore.dll shell32.dll shlwapi.dll user32.dll userenv.dll \
    uxtheme.dll version.dll winmm.dll ws2_32.dll wtsapi32.dll mpr.dll opengl32.dll) "
queue="$stage/orbelune.exe $stage/platforms/qwindows.dll"
while [ -n "$queue" ]; do
    set -- $queue
    binary=$1
    shift
    queue="$*"
    for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'); do
        lower=$(echo "$dll" | tr 'A-Z' 'a-z')
        [ -e "$stage/$dll" ] && continue
        case "$lower" in api-ms-win-*) continue ;; esac
        if source=$(dll_of "$dll"); then
            cp "$source" "$stage/$dll"
            queue="$queue $stage/$dll"
        else
            case "$system_dlls" in
                *" $lower "*) ;;
                *) echo "package-windows: $binary needs $dll, found nowhere" >&2; exit 1 ;;
            esac
        fi
    done
done
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/platforms/*.dll

# The program loads Qt's own translations of its dialogs from translations/ beside it.
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$stage/translations/"

# Licences: Qt is used under the LGPL 3 (which builds on the GPL 3); the third-party code
# compiled into Qt's DLLs brings its own notices; the MinGW runtime DLLs are covered by
# Debian's copyright files of the packages they come from.
qtbase_src=$(find "$cache/src" -maxdepth 1 -type d -name 'qt6-base-6.4.2*' | head -n 1)
qtsvg_src=$cache/src/qtsvg-everywhere-src-6.4.2
licenses=$stage/licenses
mkdir -p "$licenses/Qt" "$licenses/Qt/3rdparty" "$licenses/MinGW"
cp "$qtbase_src/LICENSES/LGPL-3.0-only.txt" "$qtbase_src/LICENSES/GPL-3.0-only.txt" \
    "$licenses/Qt/"
cp "$qtbase_src/debian/copyright" "$licenses/Qt/debian-qt6-base-copyright.txt"
# The bundled libraries compiled into Qt6Core, Qt6Gui and qwindows.dll for this configuration.
for library in blake2 double-conversion easing freetype harfbuzz-ng icc libjpeg libpng md4 md4c \
    md5 pcre2 rfc6234 sha1 sha3 tinycbor zlib; do
    folder=$qtbase_src/src/3rdparty/$library
    [ -d "$folder" ] || continue
    for license in $(sed -n 's/.*"LicenseFiles\{0,1\}": *\[\{0,1\}\(.*\)/\1/p' \
        "$folder/qt_attribution.json" | tr -d '"],' ); do
        [ -f "$folder/$license" ] && cp "$folder/$license" "$licenses/Qt/3rdparty/$library-$(echo "$license" | tr / _)"
    done
done
cp /usr/share/doc/gcc-mingw-w64-x86-64-posix-runtime/copyright \
    "$licenses/MinGW/gcc-runtime-copyright.txt"
cp /usr/share/doc/mingw-w64-x86-64-dev/copyright "$licenses/MinGW/winpthreads-copyright.txt"
# It opens with the program's own terms, in Chinese: UTF-8 with a byte order mark, as the guide.
{
    printf '\357\273\277'
    sed "s/@VERSION@/$version/" "$here/dist/windows/licenses-README.txt"
} >"$licenses/README.txt"
# Windows users open these with Notepad: CR LF line ends.
find "$licenses" -type f -exec sed -i 's/\r*$/\r/' {} +

# The short guide in Chinese. UTF-8 with a byte order mark: Notepad shows it right on every
# Windows 10 and 11, whatever the system's code page, where GBK would show only on a Chinese one.
# CR LF ends, and lines of at most 68 columns, for Notepad with word wrap on or off.
{
    printf '\357\273\277'
    sed "s/@VERSION@/$version/; s/\r*$/\r/" "$here/dist/windows/readme-zh.txt"
} >"$stage/使用说明.txt"

# Every file gets the time of the source (SOURCE_DATE_EPOCH, the commit's time when unset), so
# that the zip and the installer, which both record file times, are the same from every build
# of the same commit.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$here" log -1 --format=%ct)}
find "$stage" -exec touch --no-dereference --date="@$epoch" {} +

# Info-ZIP's zip stores the guide's name as bare UTF-8, which Explorer on a Chinese Windows
# reads as GBK: Python's zipfile marks such names as UTF-8 (flag bit 11). Entries in a fixed
# order, with the source's time and fixed permissions rather than the build's.
(cd "$out" && python3 - "$name" "$name.zip" "$epoch" <<'PYTHON'
import os, sys, time, zipfile
folder, archive, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
stamp = time.gmtime(max(epoch, 315532800))[:6]  # a zip cannot date anything before 1980
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as zip_file:
    for root, folders, files in os.walk(folder):
        folders.sort()
        entry = zipfile.ZipInfo(root + "/", stamp)
        entry.external_attr = (0o40755 << 16) | 0x10
        zip_file.writestr(entry, b"")
        for name in sorted(os.path.join(root, file) for file in files):
            entry = zipfile.ZipInfo(name, stamp)
            entry.external_attr = 0o100644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(name, "rb") as data:
                zip_file.writestr(entry, data.read(), compresslevel=9)
PYTHON
)
echo "package-windows: $zip"

# The installer, from the same folder. Its uninstaller deletes exactly these files and then
# their folders if empty, deepest first; it is generated here, so it always matches the zip.
dos() { printf '%s' "$1" | sed 's|^\./||; s|/|\\|g'; }
list=$build/uninstall-files.nsh
(
    cd "$stage"
    find . -type f | LC_ALL=C sort | while read -r file; do
        printf 'Delete "$INSTDIR\\%s"\n' "$(dos "$file")"
    done
    find . -mindepth 1 -type d | LC_ALL=C sort -r | while read -r folder; do
        printf 'RMDir "$INSTDIR\\%s"\n' "$(dos "$folder")"
    done
) >"$list"
# The picture beside the welcome and finish pages: the program's icon, from the icon's largest
# image, on the white of the page, so that it need not be stretched to the panel's size (which
# the dialog font decides) and stays round.
icon=$build/src/app/orbelune.ico
largest=$(identify -format '%w %p\n' "$icon" | sort -n | tail -n 1 | cut -d ' ' -f 2)
convert -size 164x314 xc:white \( "$icon[$largest]" -resize 96x96 \) -gravity north \
    -geometry +0+56 -composite -type TrueColor BMP3:"$build/installer-panel.bmp"
# The installer carries the picture as a file, with its time: the source's, as the others'.
touch --date="@$epoch" "$build/installer-panel.bmp"
# The files' own sizes: a folder's size is the file system's, and would differ between builds.
size_kb=$(find "$stage" -type f -printf '%s\n' | awk '{ sum += $1 } END { print int((sum + 1023) / 1024) }')
homepage=$(sed -n 's/^CMAKE_PROJECT_HOMEPAGE_URL:[A-Z]*=//p' "$build/CMakeCache.txt")
# makensis records each file's time as Windows keeps it, converted through the local time zone:
# in UTC, the same time whatever zone the build runs in.
TZ=UTC LC_ALL=C.UTF-8 makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$stage" \
    -DICON="$icon" -DPANEL="$build/installer-panel.bmp" -DOUTFILE="$setup" \
    -DSIZE_KB="$size_kb" -DHOMEPAGE="$homepage" -DFILE_LIST="$list" \
    "$here/dist/windows/orbelune.nsi"
echo "package-windows: $setup"
