# Sourced by the scripts that need a private X server: start_xvfb starts Xvfb on a display number
# the server picks itself (so parallel runs never clash) and exports DISPLAY; stop_xvfb ends it.
# The screen is a desktop's, larger than the window (QUILLMERE_XVFB_SCREEN overrides it).
start_xvfb()
{
    local displayFile
    displayFile=$(mktemp)
    # A black root window (-br): a window shows black until its program first draws into it.
    Xvfb -displayfd 3 -screen 0 "${QUILLMERE_XVFB_SCREEN:-1920x1080x24}" -br -nolisten tcp -noreset \
        3>"$displayFile" 2>/dev/null &
    XVFB_PID=$!
    local waited=0
    while [ ! -s "$displayFile" ]; do
        if ! kill -0 "$XVFB_PID" 2>/dev/null || [ $waited -ge 100 ]; then
            echo "Error: Xvfb did not start" >&2
            rm -f "$displayFile"
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    export DISPLAY=":$(head -n 1 "$displayFile")"
    rm -f "$displayFile"
    # Software rendering everywhere, whatever the host has.
    export LIBGL_ALWAYS_SOFTWARE=1
}

stop_xvfb()
{
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=
    fi
}
