#!/bin/sh
# Regenerates every PNG picture of this folder from its SVG source.
# Needs rsvg-convert (Debian package librsvg2-bin) and ImageMagick's convert.
# Output is byte-for-byte reproducible: metadata and time stamps are stripped.
set -eu
cd "$(dirname "$0")"

for tool in rsvg-convert convert; do
    command -v "$tool" >/dev/null 2>&1 || {
        echo "render.sh: $tool not found (apt-get install librsvg2-bin imagemagick)" >&2
        exit 1
    }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# svg width height  ->  $tmp/out.png
raster() {
    rsvg-convert -w "$2" -h "$3" -o "$tmp/out.png" "$1"
}

# Keep only pixels: no dates, no text chunks.
STRIP="-strip -define png:exclude-chunk=date,time,tEXt,zTXt,iTXt"

# Application icon: 32 x 32 with 16 colours (window icon), and 48 x 48 in
# full colour (about box).
raster veltrana.svg 32 32
convert "$tmp/out.png" +dither -colors 16 $STRIP PNG8:veltrana-32.png
raster veltrana.svg 48 48
convert "$tmp/out.png" $STRIP PNG32:veltrana-48.png

# Splash-screen logo: 216 x 146 with 256 colours.
raster logo.svg 216 146
convert "$tmp/out.png" +dither -colors 256 $STRIP PNG8:logo.png

# Button pictures: 32 x 32, full colour, transparent background.
for name in voz_activa voz_inactiva resolver nuevos_datos; do
    raster "$name.svg" 32 32
    convert "$tmp/out.png" $STRIP PNG32:"$name.png"
done

echo "render.sh: pictures written to $(pwd)"
