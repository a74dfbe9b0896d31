#!/usr/bin/env bash
# The installed tree: `cmake --install` into a scratch prefix, the files where a desktop looks for
# them, a desktop entry and a manual page that their checkers accept, and the launcher's park
# folder, without an X display.
#   install.sh <build dir>
set -u
build=$(cd "$1" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log"; echo "FAIL: cmake --install"; exit 1; }

for file in bin/quillmere libexec/quillmere/quillmere; do
    [ -x "$prefix/$file" ] && pass "$file is executable" || fail "$file missing or not executable"
done
for file in share/quillmere/data/tritex.ms3d share/quillmere/textures/skybox/sun.bmp \
    share/quillmere/sounds/roar.wav share/quillmere/sounds/wind.wav \
    share/quillmere/terrainTexs/grass.bmp share/quillmere/terrainTexs/fern3.png \
    share/applications/quillmere.desktop share/man/man6/quillmere.6; do
    [ -s "$prefix/$file" ] || fail "$file missing"
done
[ ! -e "$prefix/share/quillmere/terrainTexs/finalMapTexture.bmp" ] \
    && pass "no colour map installed: each user's park writes its own" \
    || fail "a colour map was installed"
for size in 16 24 32 48 64 128 256 512; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/quillmere.png"
    [ "$(file -b "$icon" | cut -d, -f1-3)" = "PNG image data, $size x $size, 8-bit/color RGBA" ] \
        || fail "icon of $size: $(file -b "$icon")"
done
pass "the icon at every size a desktop asks for, with alpha"

metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
out=$(appstreamcli validate --no-net "${metainfo[@]}" 2>&1)
[ $? -eq 0 ] && [ ${#metainfo[@]} -eq 1 ] && pass "appstreamcli validates $(basename "${metainfo[0]}")" \
    || fail "metainfo ${metainfo[*]}: $out"
grep -q '<launchable type="desktop-id">quillmere.desktop</launchable>' "${metainfo[0]}" \
    || fail "the metainfo does not launch the installed desktop entry"
grep -q '^Keywords=.*dinosaur' "$prefix/share/applications/quillmere.desktop" \
    || fail "the desktop entry has no keywords"

out=$(desktop-file-validate "$prefix/share/applications/quillmere.desktop" 2>&1)
[ $? -eq 0 ] && [ -z "$out" ] && pass "desktop-file-validate accepts the entry" \
    || fail "desktop-file-validate: $out"

# As the Debian checks render a manual page: every groff warning on.
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
    man --warnings -E UTF-8 -l -Tutf8 -Z "$prefix/share/man/man6/quillmere.6" 2>&1 >/dev/null)
[ -z "$warnings" ] && pass "the manual page renders without warnings" || fail "man: $warnings"
rendered=$(MANWIDTH=80 man -l "$prefix/share/man/man6/quillmere.6" 2>/dev/null)
for word in --seed --frames --screenshot --fullscreen --fps "Down" "XDG_DATA_HOME"; do
    grep -q -- "$word" <<<"$rendered" || fail "the manual page does not mention $word"
done

# The launcher, without a display: the options reach the program, which answers before any
# window; the park folder is made on the way.
home="$work/home"
mkdir -p "$home"
version=$(env -u DISPLAY -u XDG_DATA_HOME HOME="$home" "$prefix/bin/quillmere" --version 2>"$work/stderr")
[ $? -eq 0 ] && [[ "$version" =~ ^quillmere\ [0-9]+\.[0-9]+\.[0-9]+$ ]] \
    && pass "the launcher passes --version on: $version" || fail "--version gave '$version'"
park="$home/.local/share/quillmere"
[ "$(readlink "$park/data")" = "$prefix/share/quillmere/data" ] \
    && [ "$(readlink "$park/textures")" = "$prefix/share/quillmere/textures" ] \
    && [ "$(readlink "$park/sounds")" = "$prefix/share/quillmere/sounds" ] \
    && pass "the park folder links the installed data" || fail "park folder: $(ls -l "$park")"
[ -d "$park/terrainTexs" ] && [ ! -L "$park/terrainTexs" ] \
    && [ "$(readlink "$park/terrainTexs/grass.bmp")" = "$prefix/share/quillmere/terrainTexs/grass.bmp" ] \
    && pass "terrainTexs/ is the user's own, its images linked" \
    || fail "terrainTexs: $(ls -l "$park/terrainTexs")"
grep -q "$park" "$work/stderr" && pass "the first start names the park folder" \
    || fail "first start said: $(cat "$work/stderr")"

env -u DISPLAY HOME="$home" "$prefix/bin/quillmere" --seed=-1 >/dev/null 2>"$work/stderr"
status=$?
[ $status -eq 2 ] && [ "$(cat "$work/stderr")" = \
    "quillmere: --seed needs a whole number from 0 to 4294967295, not '-1'; try --help" ] \
    && pass "a wrong option through the launcher: status 2 and the reason" \
    || fail "wrong option: status $status, '$(cat "$work/stderr")'"

env -u DISPLAY XDG_DATA_HOME="$work/xdg" HOME="$home" "$prefix/bin/quillmere" --help >/dev/null 2>&1
[ -L "$work/xdg/quillmere/data" ] && pass "XDG_DATA_HOME chooses the park folder" \
    || fail "no park folder under XDG_DATA_HOME"

# Moved elsewhere, and started through a link on the PATH, it still finds its data.
mv "$prefix" "$work/moved"
mkdir "$work/path"
ln -s "$work/moved/bin/quillmere" "$work/path/quillmere"
env -u DISPLAY -u XDG_DATA_HOME HOME="$home" PATH="$work/path:$PATH" quillmere --version >/dev/null 2>&1
[ $? -eq 0 ] && [ "$(readlink "$park/data")" = "$work/moved/share/quillmere/data" ] \
    && pass "a moved installation, started through a link, is found and relinked" \
    || fail "moved installation: $(ls -l "$park")"

[ "$failures" -eq 0 ] && echo "all checks passed" || echo "$failures check(s) failed"
exit "$failures"
