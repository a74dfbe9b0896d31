#!/usr/bin/env bash
# End to end: the park with one file of each reader empty, cut to half or filled with random
# bytes, on a private Xvfb: the MS3D and TGA readers, the BMP textures, the ground and plant
# images of the image library, and the sounds. Each run must start, draw, save a screenshot and leave with
# status 0, and stderr must hold only lines naming the spoiled file, one for each module that
# reads it, each saying what the park does instead. scripts/bad-data-matrix runs every file.
#   brokenfiles.sh <park dir> <imageinfo>
source "$(dirname "$0")/../support/e2e.sh"
source "$root/tests/support/baddata.sh"
start_xvfb || exit 1
sample=(
    "data/running grazing headbutting standing.ms3d"
    "data/petradon.tga"
    "textures/lsystemstree/leafytile.bmp"
    "terrainTexs/grass2.bmp"
    "terrainTexs/ohiatree2.png"
    "sounds/roar.wav"
    "sounds/insects.wav"
)
for file in "${sample[@]}"; do
    for how in empty half random; do
        run_case "$file" "$how"
    done
done
finish
