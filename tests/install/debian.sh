#!/usr/bin/env bash
# The Debian package: packed by CPack from the finished build, its control fields (run-time
# dependencies found by dpkg-shlibdeps) and file list, then unpacked into a scratch root and run
# from there, as a user with a fresh home would, under a private Xvfb.
#   debian.sh <build dir> <imageinfo>
set -u
build=$(cd "$1" && pwd)
imageinfo=$2
root="$(cd "$(dirname "$0")/../.." && pwd)"
source "$root/scripts/xvfb.sh"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
work=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$work"' EXIT

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out") >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "FAIL: packages made: ${debs[*]}"; exit 1; }
deb=${debs[0]}
version=$(dpkg-deb --field "$deb" Version)
[ "$(basename "$deb")" = "quillmere_${version}_amd64.deb" ] && pass "made $(basename "$deb")" \
    || fail "package file $(basename "$deb")"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = quillmere ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = games ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ "$(field Description | wc -l)" -ge 2 ] || fail "Description has no body: $(field Description)"
depends=$(field Depends)
echo "Depends: $depends"
for library in 'libglut3\.' 'libgl1|libglx0|libopengl0' 'libglu1' 'libdevil1c2' 'libx11-6' \
    'libc6 ' 'libstdc\+\+6'; do
    grep -Eq "(^|, )($library)" <<<"$depends" || fail "Depends lacks $library"
done
# The sound libraries are declared as soon as the program links them, which it does once it
# calls into the soundscape; until then the linker drops them and no dependency is due.
for pair in 'libopenal:libopenal1' 'libsndfile:libsndfile1' 'libSDL2-2.0:libsdl2-2.0-0'; do
    if readelf -d "$build/park/quillmere" | grep -q "NEEDED.*\[${pair%%:*}\.so"; then
        grep -Eq "(^|, )${pair#*:}( |,|$)" <<<"$depends" || fail "the program links ${pair%%:*} but Depends lacks ${pair#*:}"
    fi
done
pass "the control fields name the package and its run-time libraries"

files=$(dpkg-deb --fsys-tarfile "$deb" | tar -t)
for file in ./usr/games/quillmere ./usr/libexec/quillmere/quillmere \
    ./usr/share/applications/quillmere.desktop ./usr/share/metainfo/example.quillmere.Quillmere.metainfo.xml \
    ./usr/share/icons/hicolor/16x16/apps/quillmere.png ./usr/share/icons/hicolor/512x512/apps/quillmere.png \
    ./usr/share/man/man6/quillmere.6.gz ./usr/share/doc/quillmere/copyright \
    ./usr/share/doc/quillmere/changelog.gz \
    ./usr/share/quillmere/data/tritex.ms3d ./usr/share/quillmere/terrainTexs/grass.bmp \
    ./usr/share/quillmere/textures/dinos/tyrannos.bmp ./usr/share/quillmere/sounds/roar.wav \
    ./usr/share/quillmere/sounds/insects.wav; do
    grep -qx -- "$file" <<<"$files" || fail "the package lacks $file"
done
grep -v '^\./usr/' <<<"$files" | grep -vx '\./' && fail "files outside /usr"
grep -q 'finalMapTexture' <<<"$files" && fail "the package holds a colour map"
dpkg-deb --fsys-tarfile "$deb" | tar -tv | grep ' \./usr/libexec/quillmere/quillmere$' | grep -q '^-rwxr-xr-x' \
    || fail "the program is not executable in the package"
pass "the file list holds the program, launcher, data, desktop entry, metainfo, icons, manual page and docs"

# As Debian's archive checks it: no errors (warnings and notes are said, not failed).
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1
status=$?
grep -v 'root privileges' "$work/lintian.log"
[ $status -eq 0 ] && pass "lintian finds no error in the package" || fail "lintian: status $status"

dpkg-deb -x "$deb" "$work/root"
entry="$work/root/usr/share/applications/quillmere.desktop"
out=$(desktop-file-validate "$entry" 2>&1)
[ $? -eq 0 ] && [ -z "$out" ] && grep -qx 'Exec=/usr/games/quillmere' "$entry" \
    && pass "the package's desktop entry starts /usr/games/quillmere" || fail "desktop entry: $out $(grep Exec "$entry")"
mkdir "$work/home"
start_xvfb || exit 1
start=$(date +%s%N)
env -u XDG_DATA_HOME HOME="$work/home" "$work/root/usr/games/quillmere" --seed 7 --frames 100 --screenshot \
    >"$work/stdout" 2>"$work/stderr"
status=$?
echo "the unpacked park ran 100 frames in $(( ($(date +%s%N) - start) / 1000000 )) ms"
[ $status -eq 0 ] && pass "the unpacked launcher leaves with status 0 after --frames" \
    || { fail "status $status"; cat "$work/stderr"; }
park="$work/home/.local/share/quillmere"
grep -qx 'seed 7' "$work/stdout" && pass "it made the park of seed 7" \
    || fail "stdout: $(cat "$work/stdout")"
shot=$(grep -- '-filename$' "$work/stdout" | tail -n 1 | sed 's/-filename$//')
if [ -n "$shot" ] && [ -f "$park/$shot" ]; then
    read -r width height contrast <<<"$("$imageinfo" "$park/$shot")"
    if [ "$width" = 800 ] && [ "$height" = 600 ] && awk -v c="$contrast" 'BEGIN { exit !(c > 2.0) }'; then
        pass "the screenshot $shot in the park folder is 800x600, not flat (contrast $contrast)"
    else
        fail "screenshot $shot is $width x $height, contrast $contrast"
    fi
else
    fail "no screenshot in $park: stdout $(cat "$work/stdout")"
fi
[ -s "$park/terrainTexs/finalMapTexture.bmp" ] && [ ! -L "$park/terrainTexs/finalMapTexture.bmp" ] \
    && pass "the colour map was written into the user's own terrainTexs/" || fail "no colour map"

[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit "$failures"
