#!/usr/bin/env bash
# End to end: the model preview draws every generated dinosaur and every model of the shared
# corpus into a sheet in which the model covers part of every cell, and refuses a broken file
# with a message and no sheet.
#   modelpreview.sh <park dir> <imageinfo>
source "$(dirname "$0")/../support/e2e.sh"
preview="$park/../tools/modelpreview/modelpreview"
corpora="$root/../shared/corpora/ms3d"
start_xvfb || exit 1

# draw <least cover %> <name> <model> [options...]: the sheet must be written, sized as asked,
# with the model covering at least that share of every cell.
draw() {
    local least=$1 name=$2
    shift 2
    if ! "$preview" "$@" --cell 96 --views side,top --out "$work/$name.png" >"$work/$name.log" 2>&1; then
        fail "$name: the preview failed"
        cat "$work/$name.log"
        return
    fi
        local info cover
    info=$("$imageinfo" "$work/$name.png") || { fail "$name: no readable sheet"; return; }
    read -r width height contrast <<<"$info"
    cover=$(sed -n 's/.*covers at least \([0-9.]*\)% of every cell.*/\1/p' "$work/$name.log")
    if [ "$width" -ne 192 ] || [ -z "$cover" ] || awk -v c="$cover" -v l="$least" 'BEGIN { exit !(c < l) }'; then
        fail "$name: sheet $width x $height, the model covers ${cover:-no}% of a cell"
    else
        pass "$name drawn ($width x $height, contrast $contrast, cover at least $cover%)"
    fi
}

draw 5 triceratops "$park/data/tritex.ms3d" --skin "$park/textures/dinos/triceratops_goodOne.bmp" \
    --clip walk:1-85:3
draw 5 stegoceras "$park/data/running grazing headbutting standing.ms3d" --clip run:1,10
draw 5 tyrannosaur "$park/data/trex_WalkRoarEat.ms3d" --skin "$park/data/trex.tga" --turn 180 \
    --frames 90
draw 5 pterosaur "$park/data/petradon.ms3d" --turn 90 --frames 0,15
# An icon: one view at one frame, transparent around the model.
"$preview" "$park/data/tritex.ms3d" --views three-quarter --frames 104 --cell 128 --icon \
    --out "$work/icon.png" >"$work/icon.log" 2>&1
cover=$(sed -n 's/.*covers at least \([0-9.]*\)% of every cell.*/\1/p' "$work/icon.log")
kind=$(file -b "$work/icon.png" | cut -d, -f1-3)
# The alpha of the top-left pixel: whatever a row's filter, the first pixel of the first row is
# stored as it is.
corner=$(python3 -c '
import sys, zlib
data = open(sys.argv[1], "rb").read()
chunks, at = b"", 8
while at < len(data):
    length = int.from_bytes(data[at:at + 4], "big")
    if data[at + 4:at + 8] == b"IDAT":
        chunks += data[at + 8:at + 8 + length]
    at += 12 + length
print(zlib.decompress(chunks)[4])' "$work/icon.png" 2>/dev/null)
if [ "$kind" = "PNG image data, 128 x 128, 8-bit/color RGBA" ] && [ "$corner" = 0 ] \
    && awk -v c="${cover:-0}" 'BEGIN { exit !(c > 10) }'; then
    pass "an icon: a 128 x 128 picture, transparent around the model covering $cover%"
else
    fail "icon: '$kind', corner alpha '$corner', cover '${cover:-none}'"
fi
# The icons of a desktop: each size its own file, all of them on one sheet; cells below 64
# pixels are for icons only.
"$preview" "$park/data/tritex.ms3d" --views three-quarter --frames 104 --icon-sizes 16,40 \
    --close-up-below 16 --out "$work/icon-%d.png" --sheet "$work/icons.png" >"$work/icons.log" 2>&1
sizes=$(for size in 16 40; do file -b "$work/icon-$size.png" | cut -d, -f2; done | tr -d ' ' | paste -sd,)
sheet=$(file -b "$work/icons.png" | cut -d, -f1)
"$preview" "$park/data/tritex.ms3d" --cell 32 --out "$work/small.png" >/dev/null 2>&1
small=$?
"$preview" "$park/data/tritex.ms3d" --icon-sizes 16 --out "$work/icon-%s%n.png" >/dev/null 2>&1
pattern=$?
if [ "$sizes" = "16x16,40x40" ] && [ "$sheet" = "PNG image data" ] && [ $small -eq 2 ] \
    && [ $pattern -eq 2 ]; then
    pass "icons at 16 and 40 pixels and their sheet; 32-pixel sheet cells and a name without %d refused"
else
    fail "icons: sizes '$sizes', sheet '$sheet', 32-pixel sheet status $small, name without %d $pattern"
fi
if grep -q "22 joints" "$work/triceratops.log"; then
    pass "the triceratops' joints are listed"
else
    fail "the preview does not list the triceratops' joints"
fi

if [ -d "$corpora" ]; then
        for model in "$corpora"/*.ms3d; do
        case "$model" in
            *invalid*) least=0 ;; # its one triangle has no area
            *) least=1 ;;
        esac
        draw "$least" "corpus-$(basename "$model" .ms3d)" "$model"
    done
    broken=$(ls "$corpora"/malformed/*.ms3d | head -n 1)
    if "$preview" "$broken" --out "$work/broken.png" >/dev/null 2>"$work/broken.err"; then
        fail "a malformed model was drawn"
    elif [ -s "$work/broken.err" ] && [ ! -e "$work/broken.png" ]; then
        pass "a malformed model is refused with a message"
    else
        fail "a malformed model is refused without a message or leaves a sheet"
    fi
else
    echo "shared corpora not found: corpus models skipped"
fi

finish
