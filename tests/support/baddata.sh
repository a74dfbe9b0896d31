# Sourced after e2e.sh by the scripts that run the park with one bad data file: which files the
# park reads, how each is spoiled, and what the park must then do. run_case <file> <case> starts
# the park in a scratch copy of the data with that one file missing, empty, cut to half or
# filled with random bytes; it must start, draw, save a screenshot on p and leave with status 0
# on Esc, and stderr must hold the lines that name that file and nothing else.

# Every file the park reads, relative to its working directory.
bad_data_files=(
    "data/tritex.ms3d"
    "data/running grazing headbutting standing.ms3d"
    "data/trex_WalkRoarEat.ms3d"
    "data/petradon.ms3d"
    "data/tritex.tga"
    "data/stegoceras.tga"
    "data/trex.tga"
    "data/petradon.tga"
    "textures/dinos/tyrannos.bmp"
    "textures/dinos/triceratops_goodOne.bmp"
    "textures/dinos/stegoceras.bmp"
    "textures/lsystemstree/bark2.bmp"
    "textures/lsystemstree/leafytile.bmp"
    "textures/skybox/orvelstars_128.bmp"
    "textures/skybox/sun.bmp"
    "textures/skybox/sunmask.bmp"
    "textures/skybox/moon.bmp"
    "textures/skybox/moonmask.bmp"
    "textures/skybox/clouds.bmp"
    "terrainTexs/dirt.bmp"
    "terrainTexs/terr1.bmp"
    "terrainTexs/grass-patchy.bmp"
    "terrainTexs/grass2.bmp"
    "terrainTexs/grass.bmp"
    "terrainTexs/detail.bmp"
    "terrainTexs/fgrass.png"
    "terrainTexs/brush.png"
    "terrainTexs/fern3.png"
    "terrainTexs/ohiatree2.png"
    "sounds/roar.wav"
    "sounds/bellow.wav"
    "sounds/call.wav"
    "sounds/knock.wav"
    "sounds/screech.wav"
    "sounds/heavystep.wav"
    "sounds/herdstep.wav"
    "sounds/wind.wav"
    "sounds/insects.wav"
    "sounds/birds.wav"
)
bad_data_cases=(missing empty half random)

# What the park does without the file, one line per module that reads it; nothing for the model
# skins, which are loaded but not drawn with.
consequences_of() {
    case "$1" in
        *.ms3d) echo "the model is not drawn" ;;
        *.tga) ;;
        textures/dinos/*) echo "the dinosaurs are drawn untextured" ;;
        textures/lsystemstree/leafytile.bmp)
            echo "the trees are drawn untextured"
            echo "the dinosaurs are drawn untextured"
            ;;
        textures/lsystemstree/*) echo "the trees are drawn untextured" ;;
        textures/skybox/*) echo "the sky is drawn untextured" ;;
        terrainTexs/*.bmp) echo "using a plain colour" ;;
        terrainTexs/*.png) echo "these plants are drawn untextured" ;;
        sounds/roar.wav) echo "the tyrannosaur does not roar" ;;
        sounds/bellow.wav) echo "the triceratops do not bellow" ;;
        sounds/call.wav) echo "the stegoceras do not call" ;;
        sounds/knock.wav) echo "the stegoceras butt heads in silence" ;;
        sounds/screech.wav) echo "the pterosaurs do not screech" ;;
        sounds/heavystep.wav) echo "the tyrannosaur's steps are silent" ;;
        sounds/herdstep.wav) echo "the triceratops' and stegoceras' steps are silent" ;;
        sounds/wind.wav) echo "the day has no wind" ;;
        sounds/insects.wav) echo "the night has no insects" ;;
        sounds/birds.wav) echo "the dawn has no birdsong" ;;
    esac
}

# The start of every line about the file.
line_prefix_of() {
    echo "$1: "
}

# What the reader says of a file that is not there.
missing_words_of() {
    case "$1" in
        *.ms3d) echo "Couldn't open the model file" ;;
        *.tga) echo "Could not open texture file" ;;
        *.wav) echo "cannot be opened (No such file or directory)" ;;
        *) echo "cannot be opened" ;;
    esac
}

# The stderr lines expected for a missing file, in full.
missing_lines_of() {
    local prefix words consequence
    prefix=$(line_prefix_of "$1")
    words=$(missing_words_of "$1")
    if [ -z "$(consequences_of "$1")" ]; then
        echo "$prefix$words"
        return
    fi
    consequences_of "$1" | while read -r consequence; do
        echo "$prefix$words; $consequence"
    done
}

spoil() {
    local path=$1 how=$2 size
    size=$(stat -c %s "$path")
    case "$how" in
        missing) rm -f "$path" ;;
        empty) : >"$path" ;;
        half) truncate -s $((size / 2)) "$path" ;;
        random) head -c "$size" /dev/urandom >"$path" ;;
    esac
}

# Checks the lines of stderr (file $3) for one file and case; prints what is wrong, if anything.
check_lines() {
    local file=$1 how=$2 errors=$3 prefix expected consequence count
    prefix=$(line_prefix_of "$file")
    if [ "$how" = missing ]; then
        expected=$(missing_lines_of "$file")
        [ "$(cat "$errors")" = "$expected" ] || echo "expected exactly: $expected"
        return
    fi
    while IFS= read -r line; do
        [ "${line#"$prefix"}" != "$line" ] || echo "unexpected line: $line"
    done <"$errors"
    if [ -z "$(consequences_of "$file")" ]; then
        count=$(grep -c -F -- "$prefix" "$errors")
        [ "$count" -eq 1 ] || echo "expected one line starting '$prefix', found $count"
        grep -q -F ';' "$errors" && echo "a skin's line tells of nothing the park does instead"
        return
    fi
    while read -r consequence; do
        count=$(grep -c -F -- "; $consequence" "$errors")
        [ "$count" -eq 1 ] || echo "expected one line ending '; $consequence', found $count"
    done < <(consequences_of "$file")
    count=$(wc -l <"$errors")
    [ "$count" -eq "$(consequences_of "$file" | wc -l)" ] || echo "$count lines in all"
}

# run_case <file> <case>: one run of the park; counts a pass or a failure.
run_case() {
    local file=$1 how=$2 run="$work/run" window status shot info width height contrast problems
    local label="$file $how"
    rm -rf "$run"
    mkdir -p "$run"
    cp -r "$park/data" "$park/textures" "$park/terrainTexs" "$park/sounds" "$run/"
    spoil "$run/$file" "$how"
    (cd "$run" && exec "$park/quillmere" >"$run/stdout" 2>"$run/stderr") &
    program=$!
    window=$(timeout 60 xdotool search --sync --name '^Quillmere$' | head -n 1)
    if [ -z "$window" ]; then
        fail "$label: no window appeared; stderr: $(cat "$run/stderr")"
        kill "$program" 2>/dev/null
        wait "$program" 2>/dev/null
        program=
        return
    fi
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    problems=""
    wait_for_first_frame || problems+="no frame drawn within a minute; "
    xdotool key p
    for _ in $(seq 1 100); do
        grep -q -- '-filename$' "$run/stdout" && break
        sleep 0.1
    done
    # The picture is saved before the program reads its next key.
    xdotool key Escape 2>/dev/null || true
    for _ in $(seq 1 100); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$program" 2>/dev/null; then
        kill "$program"
    fi
    wait "$program"
    status=$?
    program=

    [ "$status" -eq 0 ] || problems+="exit status $status; "
    shot=$(grep -- '-filename$' "$run/stdout" | head -n 1 | sed 's/-filename$//')
    if [ -z "$shot" ] || [ ! -s "$run/$shot" ]; then
        problems+="no screenshot; "
    else
        info=$("$imageinfo" "$run/$shot")
        read -r width height contrast <<<"$info"
        # Not one flat colour, as an undrawn picture is: a view of mostly untextured sky, or a
        # hillside close in front, can come well below the bar of the other tests.
        if [ "$width $height" != "800 600" ] ||
            ! awk -v c="$contrast" 'BEGIN { exit !(c > 0.2) }'; then
            problems+="screenshot is '$info'; "
        fi
    fi
    problems+=$(check_lines "$file" "$how" "$run/stderr" | tr '\n' ';')
    if [ -z "$problems" ]; then
        pass "$label: $(head -n 1 "$run/stderr")"
    else
        fail "$label: $problems"
        sed 's/^/    stderr: /' "$run/stderr"
    fi
}
