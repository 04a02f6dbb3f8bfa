#!/usr/bin/env bash
# Runs a command on a virtual X server with a window manager, for tests where
# the desktop's placing and focusing of windows matters.
#
# Usage: on_desktop.sh COMMAND [ARGS...]
set -euo pipefail
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# A display nobody uses.
for n in $(seq 70 99); do
  [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
export DISPLAY=$display
export QT_QPA_PLATFORM=xcb
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
# Windows opened before the window manager manages them are placed by nobody:
# wait until it says it has started, however busy the machine is.
ready=$(mktemp -u)
openbox --startup "touch $ready" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 300); do [ -e "$ready" ] && break; sleep 0.1; done
rm -f "$ready"
"$@"
