#!/usr/bin/env bash
# Installs the tree into a temporary prefix through the project's own install
# script and checks what a desktop sees: the files, the desktop entry and the
# metainfo (validated), the icons (drawn at their sizes), the manual pages
# (rendered without warnings), the programs (--help and --version without a
# display); then uninstalls and checks that nothing is left but what was
# there before.
# Usage: install_test.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
BUILD=$(cd "$1" && pwd)
ID=$2
VERSION=$3
HERE=$(cd "$(dirname "$0")" && pwd)
SRC=$(cd "$HERE/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
expected() { grep -v '^#' "$HERE/expected-files.txt" | sed "s/@ID@/$ID/g" | sort; }

PREFIX=$WORK/root/usr
# Something of another program already in a folder we install into: it and
# its folder must survive the uninstall.
mkdir -p "$PREFIX/share/applications"
echo "[Desktop Entry]" >"$PREFIX/share/applications/other.desktop"

bash "$SRC/scripts/install.sh" install "$BUILD" "$PREFIX" >"$WORK/install.log" ||
    { cat "$WORK/install.log" >&2; fail "install"; }

# Exactly the expected files.
(cd "$PREFIX" && find . -type f -o -type l | sed 's|^\./||' | grep -v '^share/applications/other.desktop$' | sort) >"$WORK/found"
expected >"$WORK/wanted"
diff -u "$WORK/wanted" "$WORK/found" || fail "installed files differ from the expected list"
for exe in tracelo tracelo-export; do
    [ -x "$PREFIX/bin/$exe" ] || fail "bin/$exe is not executable"
done

# The desktop entry, icon, metainfo and window all use the one id.
desktop=$PREFIX/share/applications/$ID.desktop
metainfo=$PREFIX/share/metainfo/$ID.metainfo.xml
# Hints are allowed: Education and Science, both main categories, are wanted.
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
if grep -Ev ': hint: .*contains more than one main category' <<<"$out" | grep -q .; then
    fail "desktop-file-validate: $out"
fi
grep -qx "Icon=$ID" "$desktop" || fail "the entry's icon is not $ID"
grep -qx "Exec=tracelo %F" "$desktop" || fail "the entry's Exec line"
# On X11 the window is matched by its class, the application name.
grep -qx "StartupWMClass=Tracelo" "$desktop" || fail "the entry's window class"
grep -qx "Categories=Qt;Education;Science;Math;" "$desktop" || fail "the entry's categories"
for key in 'GenericName' 'GenericName\[en\]' 'Comment' 'Comment\[en\]'; do
    grep -q "^$key=." "$desktop" || fail "the entry has no $key"
done
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
grep -q "<id>$ID</id>" "$metainfo" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$ID.desktop</launchable>" "$metainfo" || fail "metainfo launchable"
grep -q "<project_license>GPL-2.0-or-later</project_license>" "$metainfo" || fail "metainfo licence"
grep -q "<binary>tracelo-export</binary>" "$metainfo" || fail "metainfo provides"
grep -q "<release version=\"$VERSION\"" "$metainfo" || fail "metainfo release"
grep -qa "$ID" "$PREFIX/bin/tracelo" || fail "tracelo does not name its desktop entry $ID"

# Each bitmap icon is drawn at its size, not blank.
for dir in "$PREFIX"/share/icons/hicolor/*x*; do
    size=${dir##*/}
    size=${size%%x*}
    info=$(file -b "$dir/apps/$ID.png")
    case "$info" in
        "PNG image data, $size x $size,"*) ;;
        *) fail "icon $size: $info" ;;
    esac
done
cmp -s "$SRC/src/res/icons/tracelo.svg" "$PREFIX/share/icons/hicolor/scalable/apps/$ID.svg" ||
    fail "the scalable icon is not the program's"
[ "$(stat -c %s "$PREFIX/share/icons/hicolor/256x256/apps/$ID.png")" -gt 2000 ] ||
    fail "the 256 icon is nearly empty"

# The manual pages render without a warning.
for page in tracelo tracelo-export; do
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$PREFIX/share/man/man1/$page.1.gz" \
        >"$WORK/$page.txt" 2>"$WORK/$page.err" || fail "man $page"
    [ ! -s "$WORK/$page.err" ] || fail "man $page: $(cat "$WORK/$page.err")"
    grep -q "Tracelo $VERSION" "$WORK/$page.txt" || fail "man $page has no version"
done
for word in /Unregister ESPRESSIONI; do
    grep -q -- "$word" "$WORK/tracelo.txt" || fail "tracelo.1 lacks $word"
done
for word in --format --output --size --help --version table graph png svg pdf emf "STATO D'USCITA" ESEMPI \
    ESPRESSIONI; do
    grep -q -- "$word" "$WORK/tracelo-export.txt" || fail "tracelo-export.1 lacks $word"
done

# The installed programs answer without a display.
for exe in tracelo tracelo-export; do
    first=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ASAN_OPTIONS=detect_leaks=0 \
        "$PREFIX/bin/$exe" --version | head -n 1) || fail "$exe --version"
    [ "$first" = "Tracelo $VERSION" ] || fail "$exe --version: $first"
done

# A second install over the first changes nothing, and then everything goes.
bash "$SRC/scripts/install.sh" install "$BUILD" "$PREFIX" >"$WORK/install2.log" || fail "reinstall"
bash "$SRC/scripts/install.sh" uninstall "$BUILD" "$PREFIX" >"$WORK/uninstall.log" ||
    { cat "$WORK/uninstall.log" >&2; fail "uninstall"; }
left=$(cd "$WORK/root" && find . -mindepth 1 | sort | tr '\n' ' ')
[ "$left" = "./usr ./usr/share ./usr/share/applications ./usr/share/applications/other.desktop " ] ||
    fail "left behind after uninstall: $left"
[ ! -e "$BUILD/tracelo-installed-files.txt" ] || fail "the install record was kept"

# Into a prefix that did not exist: the uninstall removes the prefix too.
bash "$SRC/scripts/install.sh" install "$BUILD" "$WORK/fresh/opt" >/dev/null || fail "install fresh"
bash "$SRC/scripts/install.sh" uninstall "$BUILD" "$WORK/fresh/opt" >/dev/null || fail "uninstall fresh"
[ ! -e "$WORK/fresh" ] || fail "left behind: $(cd "$WORK" && find fresh | tr '\n' ' ')"
echo "PASS"
