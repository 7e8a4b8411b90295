#!/bin/sh
# Renders the icon's PNG sizes from the SVG (needs rsvg-convert, Debian
# librsvg2-bin). The PNGs are kept in the tree so the build needs no SVG tools.
set -e
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert -w "$size" -h "$size" de.veltrano.vorlagen.svg -o "${size}x${size}/de.veltrano.vorlagen.png"
done
