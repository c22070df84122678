#!/usr/bin/env bash
# Starts what the optimised tree has: the Tracelo window once it is built,
# until then the command-line tool, until then a word on what there is.
set -euo pipefail
build=${1:-build}
if [ -x "$build/src/app/tracelo" ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Tracelo is built ($build/src/app/tracelo) but there is no display to show it on:"
    echo "run 'make run' from a desktop session (or: xvfb-run $build/src/app/tracelo)."
    exit 1
  fi
  exec "$build/src/app/tracelo"
elif [ -x "$build/src/cli/tracelo-export" ]; then
  echo "The Tracelo window is not built yet; here is the command-line tool:"
  "$build/src/cli/tracelo-export" --help || true
else
  echo "Tracelo's expression engine is built (library $build/src/libtracelo_core.a)."
  echo "The window and the command-line tool are not there yet; 'make test' runs the tests."
fi
