#!/bin/sh
# Regenerates the engine's two built-in polygon fonts from DejaVu Sans and DejaVu Sans Mono Bold
# (Debian: fonts-dejavu-core; the generator needs libfreetype-dev and libglu1-mesa-dev):
#
#   tools/fontgen/generate.sh
#
# writes src/text/fonts/<name>.txt (the polygon font text format), src/text/<name>.cpp (the same
# font as constant data) and src/text/fonts/LICENSE-DejaVu.txt. Run from anywhere; the outputs
# are committed, so building the engine never needs FreeType.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
fonts=${DEJAVU_DIR:-/usr/share/fonts/truetype/dejavu}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

c++ -std=c++20 -O2 -Wall -Wextra -o "$work/fontgen" "$root/tools/fontgen/fontgen.cpp" \
    $(pkg-config --cflags --libs freetype2) -lGLU
mkdir -p "$root/src/text/fonts"
"$work/fontgen" "$fonts" "$root/src/text"
cp /usr/share/doc/fonts-dejavu-core/copyright "$root/src/text/fonts/LICENSE-DejaVu.txt"
