#!/usr/bin/env bash
# Installs the optimised tree under PREFIX (and DESTDIR, when set), or removes
# what the last install from that tree put in place. Runs through sudo only
# when the destination is not writable.
# Usage: install.sh install|uninstall BUILD PREFIX
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
action=$1
build=$(cd "$2" && pwd)
prefix=$3
case "$prefix" in
  /*) ;;
  *) prefix=$PWD/$prefix ;;
esac

# Root is needed when the nearest existing folder of the destination is not
# writable.
needs_root() {
  local probe=$1
  while [ ! -e "$probe" ]; do probe=$(dirname "$probe"); done
  [ ! -w "$probe" ] && [ "$(id -u)" -ne 0 ]
}
as_root() {
  if needs_root "$1"; then
    shift
    sudo "$@"
  else
    shift
    "$@"
  fi
}

case "$action" in
  install)
    as_root "${DESTDIR:-}$prefix" env DESTDIR="${DESTDIR:-}" \
      cmake --install "$build" --prefix "$prefix"
    ;;
  uninstall)
    record="$build/tracelo-installed-files.txt"
    if [ ! -s "$record" ]; then
      echo "uninstall: nothing installed from $build is noted"
      exit 0
    fi
    as_root "$(head -n 1 "$record")" \
      cmake -DTRACELO_BUILD_DIR="$build" -P "$here/../dist/Uninstall.cmake"
    ;;
  *)
    echo "install.sh: unknown action '$action' (install or uninstall)" >&2
    exit 2
    ;;
esac
