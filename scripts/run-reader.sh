#!/usr/bin/env bash
# Starts the reader from the build folder, or says why it cannot.
set -euo pipefail
bin="$1"
if [ ! -x "$bin/pagora" ]; then
  echo "The reader is not built in $bin: run \"make run\" from the source folder." >&2
  exit 1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display is available. Run the reader in a virtual X server (Debian package xvfb):" >&2
  echo "  xvfb-run -a -s '-screen 0 1600x1000x24' $bin/pagora" >&2
  echo "pagora-export renders pages without any display, for example:" >&2
  echo "  $bin/pagora-export --page 1 --png page-1.png" >&2
  exit 1
fi
exec "$bin/pagora" "${@:2}"
