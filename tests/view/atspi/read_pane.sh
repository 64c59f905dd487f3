#!/bin/sh
# Runs an accessibility client (read_pane.py unless another is named) against
# a demo program on a private X display, D-Bus session and accessibility bus.
# Exits 77 (skipped) when any of them is unavailable here; everything is
# under a hard time limit.
#   read_pane.sh <demo program> [client script]
here=$(dirname "$0")
python=/usr/bin/python3
[ -x "$python" ] || python=python3
for tool in dbus-run-session xvfb-run timeout; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done
[ -x /usr/libexec/at-spi-bus-launcher ] || { echo "at-spi2-core is not installed"; exit 77; }
"$python" -c "import pyatspi" 2>/dev/null || { echo "pyatspi is not installed"; exit 77; }
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
client=${2:-$here/read_pane.py}
timeout -k 5 50 xvfb-run -a dbus-run-session -- "$python" "$client" "$1"
status=$?
[ "$status" -eq 124 ] && echo "timed out"
exit "$status"
