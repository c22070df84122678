#!/usr/bin/env bash
# The two package lists of the set-up: `make run` gets what building and
# running need and none of the test tools; `make test` gets both; every name
# is listed once and is installed once the set-up has run.
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
# `make test` has installed both lists: a misspelt name would have stopped it.
while read -r pkg; do
    [[ "$pkg" =~ ^[a-z0-9][a-z0-9+.-]+$ ]] || fail "not a package name: '$pkg'"
    status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = installed ] || fail "$pkg is not installed"
done <<<"$all"
if bash "$SETUP" --list tests >/dev/null 2>&1; then fail "an unknown list was accepted"; fi
echo "PASS"
