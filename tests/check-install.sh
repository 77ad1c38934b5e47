#!/bin/sh
# Installs the build into a temporary prefix and checks what a desktop needs of it: exactly the
# expected files, icons of the sizes their folders promise, a valid desktop entry and a valid
# AppStream tree. The validators run where they are installed.
#   check-install.sh <build folder> <list of installed files>
set -eu
build=$1
expected=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/usr

cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || {
    cat "$tmp/install.log"
    exit 1
}

(cd "$prefix" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$tmp/installed.txt"
LC_ALL=C sort "$expected" >"$tmp/expected.txt"
if ! diff -u "$tmp/expected.txt" "$tmp/installed.txt"; then
    echo "check-install: the installed files differ from the list (- expected, + installed)" >&2
    exit 1
fi

if command -v file >/dev/null 2>&1; then
    for png in "$prefix"/share/icons/hicolor/*x*/apps/*.png; do
        size=$(basename "$(dirname "$(dirname "$png")")") # 48x48
        want="PNG image data, $(echo "$size" | sed 's/x/ x /')"
        file -b "$png" | grep -q "^$want," || {
            echo "check-install: $png is not a $size PNG: $(file -b "$png")" >&2
            exit 1
        }
    done
    file -b "$prefix/bin/orbelune" | grep -q executable || {
        echo "check-install: bin/orbelune is not an executable: $(file -b "$prefix/bin/orbelune")" >&2
        exit 1
    }
fi

if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$prefix"/share/applications/*.desktop
    echo "desktop-file-validate: passed"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml
    appstreamcli validate-tree --no-net "$prefix"
fi
echo "check-install: passed"
