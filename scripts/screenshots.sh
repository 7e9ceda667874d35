#!/bin/sh
# Takes pictures of the main window in English, Traditional and Simplified Chinese under a virtual X
# server (packages xvfb, xauth, fonts-noto-cjk) and checks that no caption is cut short.
# Usage: scripts/screenshots.sh [build-dir] [output-dir]
set -eu
build=${1:-build}
out=${2:-screenshots}
mkdir -p "$out"
TALVO_SCREENSHOT_DIR=$(cd "$out" && pwd) QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tests/app/tst_window_screenshots"
ls "$out"/*.png
