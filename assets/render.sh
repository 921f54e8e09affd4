#!/usr/bin/env bash
# Renders the skin's thirteen pictures from src/*.svg into png/ (committed; the build only embeds them).
# Needs rsvg-convert (librsvg2-bin) and python3. Every control picture is cut out of a render of the
# whole body, so it lines up with the body under it pixel for pixel.
#   assets/render.sh            render png/*.png
#   assets/render.sh --preview  also put the assembled radio in /tmp/assets-preview.png
set -euo pipefail

command -v rsvg-convert >/dev/null || { echo "render.sh: rsvg-convert missing (apt librsvg2-bin)" >&2; exit 1; }
command -v python3 >/dev/null || { echo "render.sh: python3 missing" >&2; exit 1; }

here="$(cd "$(dirname "$0")" && pwd)"
src="$here/src"
out="$here/png"
tool="python3 $here/pngtool.py"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# A variant of the body with one hidden face shown (or the dark hourglass swapped for the green one).
variant() {
    local name=$1 shown=$2 extra=${3:-}
    sed -e "s/id=\"$shown\" visibility=\"hidden\"/id=\"$shown\"/" ${extra:+-e "$extra"} \
        "$src/body.svg" >"$work/$name.svg"
    rsvg-convert -f png -o "$work/$name.png" "$work/$name.svg"
}

rsvg-convert -f png -o "$work/body.png" "$src/body.svg"
variant play play-face
variant stop stop-face
variant timeron hourglass-green 's/id="hourglass-dark"/id="hourglass-dark" visibility="hidden"/'

$tool body "$work/body.png" "$out/bg.png"
$tool crop "$work/body.png" 134 99 250 78 "$out/ecran.png" palette
$tool crop "$work/play.png" 168 236 38 23 "$out/play.png" palette
$tool crop "$work/stop.png" 168 236 38 23 "$out/stop.png" palette
$tool crop "$work/body.png" 215 236 38 23 "$out/list.png" palette
$tool crop "$work/body.png" 266 236 38 23 "$out/add.png" palette
$tool crop "$work/body.png" 315 236 38 23 "$out/minus.png" palette
$tool crop "$work/timeron.png" 420 252 34 34 "$out/timeron.png" palette
$tool crop "$work/body.png" 420 252 34 34 "$out/timeroff.png" palette
$tool crop "$work/body.png" 75 252 45 45 "$out/onoff.png" rgb
$tool crop "$work/body.png" 132 211 250 14 "$out/vol.png" palette

rsvg-convert -f png -o "$work/knob.png" "$src/knob.svg"
rsvg-convert -f png -o "$work/tray.png" "$src/tray.svg"
$tool save "$work/knob.png" "$out/knob.png" rgba
$tool save "$work/tray.png" "$out/tray.png" rgba

if [ "${1:-}" = "--preview" ]; then
    $tool preview "$out" /tmp/assets-preview.png
    echo "preview: /tmp/assets-preview.png"
fi
