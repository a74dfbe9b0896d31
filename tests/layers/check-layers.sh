#!/usr/bin/env bash
# The layer check itself: a copy of source/ with one fault of each kind must fail it, naming the
# file and line of each, and the copy as it stands must pass.
#   check-layers.sh <source dir> <check-layers script>
set -u
source_dir=$1
check=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir" "$work/source"
failures=0
expect() {
    if grep -q -- "$2" "$work/err"; then
        echo "PASS: $1"
    else
        echo "FAIL: $1; the check said: $(cat "$work/err")"
        failures=$((failures + 1))
    fi
}

"$check" "$work/source" >/dev/null 2>"$work/err" && echo "PASS: the copy as it stands" \
    || { echo "FAIL: the copy as it stands: $(cat "$work/err")"; failures=$((failures + 1)); }

printf '#include <GL/gl.h>\n' >>"$work/source/math/frustum.cpp"
printf '#include <IL/il.h>\n' >>"$work/source/world/plants.cpp"
printf '#include <X11/extensions/Xrandr.h>\n' >>"$work/source/world/camera.cpp"
printf '#include "app/park.h"\n' >>"$work/source/world/sky.cpp"
printf '#include <vector>\n#include <sys/stat.h>\n' >>"$work/source/math/vector.h"
if "$check" "$work/source" >/dev/null 2>"$work/err"; then
    echo "FAIL: the faults passed the check"
    failures=$((failures + 1))
fi
expect "a GL header in math/" 'source/math/frustum.cpp:[0-9]*: <GL/gl.h> is of the library gl'
expect "the image library's header in world/" 'source/world/plants.cpp:[0-9]*: <IL/il.h> is of the library il'
expect "the longest entry names the library" 'source/world/camera.cpp:[0-9]*: <X11/extensions/Xrandr.h> is of the library xrandr'
expect "a quoted include from a layer above" 'source/world/sky.cpp:[0-9]*: "app/park.h" is in app/'
grep -q 'math/vector.h' "$work/err" && { echo "FAIL: a standard header was refused"; failures=$((failures + 1)); } \
    || echo "PASS: the C++ and the system's own headers are open to every layer"
[ "$failures" -eq 0 ]
