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
