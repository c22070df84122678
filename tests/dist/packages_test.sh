#!/usr/bin/env bash
# The two package lists of the set-up: `make run` gets what building and
# running need and none of the test tools; `make test` gets both; every name
# is a package the system's sources know, listed once.
# Usage: packages_test.sh
set -euo pipefail
SETUP=$(cd "$(dirname "$0")/../../scripts" && pwd)/setup.sh
fail() { echo "FAIL: $*" >&2; exit 1; }

run=$(bash "$SETUP" --list run)
all=$(bash "$SETUP" --list test)
[ "$run" = "$(bash "$SETUP" --list)" ] || fail "the default list is not the run list"
has() { grep -qx -- "$2" <<<"$1"; }
for pkg in build-essential cmake qt6-base-dev qt6-svg-dev qt6-qpa-plugins libuemf-dev fonts-wine dpkg-dev file; do
    has "$run" "$pkg" || fail "the run list lacks $pkg"
done
for pkg in clang libgtest-dev libbenchmark-dev libmuparser-dev emf2svg xvfb xdotool imagemagick \
    desktop-file-utils appstream lintian man-db; do
    has "$run" "$pkg" && fail "the run list has the test tool $pkg"
    has "$all" "$pkg" || fail "the test list lacks $pkg"
done
while read -r pkg; do
    has "$all" "$pkg" || fail "$pkg of the run list is missing when testing"
done <<<"$run"
dups=$(sort <<<"$all" | uniq -d)
[ -z "$dups" ] || fail "listed twice: $dups"
while read -r pkg; do
    [[ "$pkg" =~ ^[a-z0-9][a-z0-9+.-]+$ ]] || fail "not a package name: '$pkg'"
    apt-cache show --no-all-versions "$pkg" >/dev/null 2>&1 || fail "no package $pkg in the sources"
done <<<"$all"
if bash "$SETUP" --list tests >/dev/null 2>&1; then fail "an unknown list was accepted"; fi
echo "PASS"
