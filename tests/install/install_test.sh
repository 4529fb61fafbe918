#!/usr/bin/env bash
# The reader as a user installs it, from a moved prefix (`tree`, then `checks` of its desktop
# entry, metadata and man pages) and from the cpack package (`deb`). Expected names come from the
# build (PAGORA_APP_ID, PAGORA_ICON_SIZES, PAGORA_MAN_PAGES). Exits 77 when a tool is missing.
set -uo pipefail

skip() { echo "SKIPPED: $*"; exit 77; }
fail() { echo "FAILED: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null 2>&1 || skip "$1 is not installed (scripts/setup.sh --tests installs it)"; }

# The files a prefix (or the package's /usr) holds, as paths below it; man pages end in $1.
expected_files() {
    local id=$PAGORA_APP_ID
    for page in $PAGORA_MAN_PAGES; do echo "share/man/man1/$page.1$1"; done
    echo bin/pagora bin/pagora-pack bin/pagora-export share/pagora/support.dat
    for digit in 0 1 2 3 4 5 6 7 8 9; do echo "share/pagora/order$digit.dat"; done
    echo "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
    echo "share/icons/hicolor/scalable/apps/$id.svg" share/doc/pagora/credits.txt
    for size in $PAGORA_ICON_SIZES; do echo "share/icons/hicolor/${size}x$size/apps/$id.png"; done
}

# Runs the export of `prefix`/bin with a settings folder of its own; the image must be a PNG.
export_page_one() {
    local prefix=$1 image=$2
    HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/home/config" "$prefix/bin/pagora-export" \
        --page 1 --png "$image" >"$WORK/export.log" 2>&1 ||
        fail "the installed pagora-export failed: $(cat "$WORK/export.log")"
    [ "$(head -c 8 "$image" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
        fail "$image is not a PNG image"
}

# The expected files (man pages ending in $2) and any further ones given are all under $1.
check_files() {
    local prefix=$1 man_suffix=$2 missing=""
    shift 2
    for file in $(expected_files "$man_suffix") "$@"; do
        [ -e "$prefix/$file" ] || missing+=" $file"
    done
    [ -z "$missing" ] || fail "missing under $prefix:$missing"
}

# Everything below `prefix` with its size and modification time, to see that nothing changed.
snapshot() { find "$1" -printf '%p %s %T@\n' | sort; }

mode=${1:-} BUILD=${2:-} WORK=${!#}
case "$mode" in
tree)
    rm -rf "$WORK" && mkdir -p "$WORK/home" || fail "cannot make $WORK"
    cmake --install "$BUILD" --prefix "$WORK/staged" >"$WORK/install.log" 2>&1 ||
        fail "cmake --install failed: $(tail -5 "$WORK/install.log")"
    mv "$WORK/staged" "$WORK/prefix" || fail "cannot move the installed tree"
    check_files "$WORK/prefix" "" share/doc/pagora/LICENSE
    before=$(snapshot "$WORK/prefix")
    export_page_one "$WORK/prefix" "$WORK/page-1.png"
    [ "$(snapshot "$WORK/prefix")" = "$before" ] || fail "the export wrote under the prefix"
    echo "installed into a prefix, moved it, and rendered page 1 from there"
    ;;
checks)
    prefix="$WORK/prefix"
    [ -d "$prefix" ] || fail "no installed tree in $WORK (the test install.tree makes it)"
    for tool in desktop-file-validate appstreamcli man; do need $tool; done
    desktop-file-validate "$prefix/share/applications/$PAGORA_APP_ID.desktop" ||
        fail "desktop-file-validate refused the desktop entry"
    appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$PAGORA_APP_ID.metainfo.xml" ||
        fail "appstreamcli refused the metadata"
    for page in $PAGORA_MAN_PAGES; do
        file="$prefix/share/man/man1/$page.1"
        text=$(MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -l "$file" 2>"$WORK/man.err") &&
            [ ! -s "$WORK/man.err" ] || fail "man -l $file failed or warns: $(cat "$WORK/man.err")"
        grep -q "^NAME" <<<"$text" && grep -q -- "--help" <<<"$text" ||
            fail "the man page of $page lacks its NAME or options"
    done
    echo "the desktop entry, the metadata and the man pages pass their checks"
    ;;
deb)
    for tool in dpkg-deb dpkg-shlibdeps; do need $tool; done
    rm -rf "$WORK" && mkdir -p "$WORK/home" || fail "cannot make $WORK"
    cpack --config "$BUILD/CPackConfig.cmake" -B "$WORK/package" >"$WORK/cpack.log" 2>&1 ||
        fail "cpack failed: $(tail -20 "$WORK/cpack.log")"
    deb=$(find "$WORK/package" -maxdepth 1 -name 'pagora_*.deb' | sort | head -1)
    [ -f "$deb" ] || fail "cpack made no pagora_*.deb: $(ls "$WORK/package")"
    dpkg-deb -x "$deb" "$WORK/root" || fail "dpkg-deb -x failed"
    check_files "$WORK/root/usr" .gz share/doc/pagora/copyright share/doc/pagora/changelog.gz
    dpkg-deb -f "$deb" Depends | grep -q fonts-hosny-amiri || fail "the package does not depend on the font"
    export_page_one "$WORK/root/usr" "$WORK/page-1.png"
    echo "$(basename "$deb"): unpacked, page 1 rendered from it"
    if command -v lintian >/dev/null 2>&1; then
        lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"
    else
        echo "lintian is not installed: the package was not linted"
    fi
    ;;
*)
    fail "usage: install_test.sh tree BUILD WORK | checks WORK | deb BUILD WORK"
    ;;
esac
