#!/usr/bin/env bash
# Builds the artwork generator and redraws every picture in resources/.
# Usage: tools/make-artwork.sh [--preview WINDOW.png]   (build folder: $ARTGEN_BUILD_DIR or /tmp/kavro-artgen)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$here")"
build="${ARTGEN_BUILD_DIR:-/tmp/kavro-artgen}"

# The lettering is drawn from these font files (Debian: fonts-urw-base35).
for font in NimbusSans-BoldItalic NimbusSans-Bold Z003-MediumItalic; do
  if [ ! -f "/usr/share/fonts/opentype/urw-base35/$font.otf" ]; then
    echo "make-artwork: missing font $font.otf; install fonts-urw-base35" >&2
    exit 1
  fi
done

cmake -S "$here/artgen" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel >/dev/null
mkdir -p "$root/resources"
# The generator needs fonts and painting only, no display.
QT_QPA_PLATFORM=offscreen "$build/kavro-artgen" "$root/resources" "$@"
echo "pictures written to $root/resources"
# The desktop icon: the application icon cut to the 48x48 size of the icon theme.
mkdir -p "$root/resources/desktop"
convert "$root/resources/mainicon.bmp" -gravity center -crop 48x48+0+0 +repage -strip -define png:exclude-chunks=date,time "PNG24:$root/resources/desktop/kavro.png"
