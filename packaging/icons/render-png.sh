#!/usr/bin/env bash
# Renders the PNG sizes of the program's icon from its SVG (needs rsvg-convert, Debian librsvg2-bin).
# The PNGs are kept in the repository, so a build never needs the renderer; run this after editing the SVG.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" talvo-utility.svg -o "talvo-utility-$size.png"
done
