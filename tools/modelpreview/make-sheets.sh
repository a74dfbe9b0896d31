#!/usr/bin/env bash
# Draws the sheet of every generated dinosaur into <output dir> (docs/ in the repository):
# each clip at several frames from the side, front, top and three-quarters, the ground at the
# height the park stands the animal on, and its culling circle.
#   tools/modelpreview/make-sheets.sh <build dir> <output dir>
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "$1" && pwd)"
out="$(mkdir -p "$2" && cd "$2" && pwd)"
park="$build/park"
preview="$build/tools/modelpreview/modelpreview"
xvfb="$here/../../scripts/with-xvfb"

sheet()
{
    local name=$1
    shift
    "$xvfb" "$preview" "$@" --cell 200 --views side,front,top,three-quarter --out "$out/$name.png"
}

# Model-space ground heights: the origin stands 5, 13 and 8 world units over the ground at
# scales 0.3, 0.3 and 0.7; culling radii 18, 16 and 20 world units.
sheet triceratops "$park/data/tritex.ms3d" --skin "$park/textures/dinos/triceratops_goodOne.bmp" \
    --ground -16.6667 --radius 60 \
    --clip walk:1,8,15,22,29 --clip graze:86,104,122,150,177 --clip idle:195,215,232,255,270
sheet stegoceras "$park/data/running grazing headbutting standing.ms3d" \
    --skin "$park/textures/dinos/stegoceras.bmp" --ground -43.3333 --radius 53.333 \
    --clip run:1,5,10,14,19 --clip graze+butt:120,140,155,180,195,215
sheet tyrannosaur "$park/data/trex_WalkRoarEat.ms3d" --skin "$park/textures/dinos/tyrannos.bmp" \
    --turn 180 --ground -11.4286 --radius 28.571 \
    --clip walk:1,8,16,23,31 --clip roar:60,75,95,115,135 --clip eat:135,150,165,180,210
sheet pterosaur "$park/data/petradon.ms3d" --skin "$park/textures/lsystemstree/leafytile.bmp" \
    --turn 90 --radius 18 --clip flap:0,5,10,15,20,25
sheet pterosaur-own-skin "$park/data/petradon.ms3d" --turn 90 --radius 18 --clip flap:0,10,20
