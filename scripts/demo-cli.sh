#!/usr/bin/env bash
# Reads tags from a simulated reader on a pseudo-terminal with the headless reader:
# talvo-sim plays a serial reader, talvo-cli reads it as COM1 for DEMO_SECONDS (default 15) seconds.
set -euo pipefail
bin="${BUILD_DIR:-$(dirname "$0")/../build}/src"
fifo=$(mktemp -u) && mkfifo "$fifo"
"$bin/sim/talvo-sim" --pty --tags 12 --rate 20 >"$fifo" &
sim=$!
trap 'kill $sim 2>/dev/null; rm -f "$fifo"' EXIT
read -r device <"$fifo"
echo "simulated reader on $device (COM1)" >&2
"$bin/cli/talvo-cli" read --com "1=$device" --duration "${DEMO_SECONDS:-15}" "$@"
