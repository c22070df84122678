#!/usr/bin/env bash
# Installs the system packages Tracelo needs, only those missing, so a second
# run is quick. Works as root or through sudo.
# Usage: setup.sh [--list] [run|test]
#   run     the [run] list of packages.txt: building, running, installing and
#           packaging (the default)
#   test    both lists, and the locales the tests run under
#   --list  only print the names of the packages, one a line
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list_only=false
if [ "${1:-}" = --list ]; then
  list_only=true
  shift
fi
mode=${1:-run}
case "$mode" in
  run | test) ;;
  *)
    echo "setup: unknown list '$mode' (run or test)" >&2
    exit 2
    ;;
esac

if [ "$(id -u)" -eq 0 ] || $list_only; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: run as root or install sudo" >&2
  exit 1
fi

# The names under [run], and under [test] too when testing; comments and
# blank lines skipped.
mapfile -t wanted < <(awk -v mode="$mode" '
  { sub(/#.*/, ""); gsub(/[ \t]+/, "") }
  $0 == "" { next }
  /^\[.*\]$/ { section = $0; next }
  section == "[run]" || (mode == "test" && section == "[test]") { print }
' "$here/packages.txt")
if [ ${#wanted[@]} -eq 0 ]; then
  echo "setup: no packages found in $here/packages.txt" >&2
  exit 1
fi
if $list_only; then
  printf '%s\n' "${wanted[@]}"
  exit 0
fi
missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$pkg")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Locales the tests run under.
[ "$mode" = test ] || exit 0
have=$(locale -a 2>/dev/null | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
need=()
for loc in it_IT.UTF-8 en_US.UTF-8; do
  norm=$(echo "$loc" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  echo "$have" | grep -qx "$norm" || need+=("$loc")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: generating locales ${need[*]}"
  for loc in "${need[@]}"; do
    if ! grep -qE "^${loc} UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "${loc} UTF-8" | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
    fi
  done
  "${as_root[@]}" locale-gen >/dev/null
fi
