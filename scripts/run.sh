#!/usr/bin/env bash
# Builds, creates the demo databases when missing, and starts the host logged in
# as the demo administrator. Without a display it runs under xvfb-run and writes
# a screenshot of the window.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
DATA_DIR="${LUMO_DATA_DIR:-$PWD/demo}"
mkdir -p "$DATA_DIR"
HOST=(build/host/lumohost --hr "$DATA_DIR/hr.db" --rcms "$DATA_DIR/rcms.db" --create-demo --user admin --app-path "$DATA_DIR")
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "${HOST[@]}" "$@"
fi
SHOT="$DATA_DIR/lumohost.png"
echo "run: no display; running under xvfb-run and writing a screenshot to $SHOT"
xvfb-run -a -s "-screen 0 1400x860x24" "${HOST[@]}" --screenshot "$SHOT" "$@"
echo "run: screenshot written to $SHOT"
