#!/usr/bin/env bash
# Builds the Debian package from the optimised tree (never a sanitizer
# build) and checks it: name, fields and computed dependencies, the listed files, lintian
# without errors, and the unpacked tracelo-export exporting a graph.
# Usage: package_test.sh PACKAGE_TREE APP_ID VERSION TEST_DATA_DIR
set -euo pipefail
TREE=$(cd "$1" && pwd)
ID=$2
VERSION=$3
DATA=$(cd "$4" && pwd)
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$TREE/src/cli/tracelo-export" ] && [ -x "$TREE/src/app/tracelo" ] ||
    fail "$TREE is not built (make test builds it first)"
if grep -q '^TRACELO_SANITIZE:BOOL=ON' "$TREE/CMakeCache.txt"; then
    fail "$TREE is built with sanitizers; a package is built without"
fi

cpack -G DEB --config "$TREE/CPackConfig.cmake" -B "$WORK/out" >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log" >&2; fail "cpack"; }
DEB=$WORK/out/tracelo_${VERSION}_$(dpkg --print-architecture).deb
[ -f "$DEB" ] || fail "no $(basename "$DEB"): $(ls "$WORK/out")"

field() { dpkg-deb --field "$DEB" "$1"; }
[ "$(field Package)" = tracelo ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$VERSION" ] || fail "Version: $(field Version)"
[ "$(field Section)" = science ] || fail "Section: $(field Section)"
depends=$(field Depends)
for dep in qt6-qpa-plugins libqt6widgets6 libqt6svg6 libqt6printsupport6 libuemf0 libc6; do
    case ", $depends," in
        *", $dep"[\ ,]*) ;;
        *) fail "Depends lacks $dep: $depends" ;;
    esac
done
case "$depends" in *libasan* | *libubsan*) fail "Depends on a sanitizer: $depends" ;; esac
[ "$(field Description | wc -l)" -ge 5 ] || fail "Description has no long part"
dpkg-deb --ctrl-tarfile "$DEB" | tar -t | grep -Eq '^\./(pre|post)(inst|rm)$' &&
    fail "maintainer scripts where none are needed"

# The listed files: the install's files under /usr.
dpkg-deb --contents "$DEB" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' | sort >"$WORK/listed"
grep -v '^#' "$HERE/expected-files.txt" | sed "s/@ID@/$ID/g" | sort >"$WORK/wanted"
diff -u "$WORK/wanted" "$WORK/listed" || fail "the package's files differ from the expected list"

# No lintian error (warnings are printed).
lintian --fail-on error "$DEB" >"$WORK/lintian.log" 2>&1 || { cat "$WORK/lintian.log" >&2; fail "lintian"; }
grep -E '^[EW]: ' "$WORK/lintian.log" || true

# The unpacked programs run from where the package puts them.
dpkg-deb -x "$DEB" "$WORK/root"
export_bin=$WORK/root/usr/bin/tracelo-export
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$export_bin" "$DATA/sin-red.grf" \
    -o "$WORK/sin.png" --size 320x240 || fail "tracelo-export png"
info=$(file -b "$WORK/sin.png")
case "$info" in "PNG image data, 320 x 240,"*) ;; *) fail "exported picture: $info" ;; esac
"$export_bin" "$DATA/kinds.grf" --format table >"$WORK/kinds.csv" || fail "tracelo-export table"
cmp -s "$WORK/kinds.csv" "$DATA/kinds.csv" || fail "the unpacked tracelo-export's table differs"
for exe in tracelo tracelo-export; do
    first=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$WORK/root/usr/bin/$exe" --help |
        head -n 1) || fail "$exe --help"
    case "$first" in "Uso: $exe"*) ;; *) fail "$exe --help: $first" ;; esac
done
echo "PASS"
