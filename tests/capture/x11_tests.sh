#!/bin/sh
# Runs an X11 test program on a private virtual display: Xvfb, the openbox
# window manager (it keeps the EWMH window lists) and a D-Bus session, in
# which the accessibility bus starts on demand.
# Usage: x11_tests.sh PROGRAM [ARGS...]. Exit 77 (skipped) when a tool is missing.
set -u

for tool in Xvfb openbox dbus-run-session xprop; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (tools/install-deps.sh installs it)"
    exit 77
  fi
done
if [ ! -x /usr/libexec/at-spi-bus-launcher ]; then
  echo "SKIPPED: at-spi2-core is not installed (tools/install-deps.sh installs it)"
  exit 77
fi

work=$(mktemp -d)
xvfb_pid=""
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  [ -n "$wm_pid" ] && wait "$wm_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Xvfb picks a free display number and writes it to the descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
i=0
while [ ! -s "$work/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
if [ ! -s "$work/display" ]; then
  echo "FAILED: Xvfb did not start"; cat "$work/xvfb.log"; exit 1
fi
DISPLAY=":$(cat "$work/display")"
export DISPLAY

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
  i=$((i + 1))
  if [ $i -ge 100 ]; then echo "FAILED: openbox did not start"; cat "$work/openbox.log"; exit 1; fi
  sleep 0.1
done

QT_QPA_PLATFORM=xcb
NO_AT_BRIDGE=0
export QT_QPA_PLATFORM NO_AT_BRIDGE
timeout 300 dbus-run-session -- "$@"
