#!/usr/bin/env bash
# Runs a test program on a private X server. Where Xvfb, xdotool or pdftoppm is missing, or
# the server does not start, the test is reported skipped (exit 77) and says why; otherwise
# the test program's own result stands.
set -u
missing=()
for tool in Xvfb xdotool pdftoppm; do
    command -v "$tool" > /dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIPPED: ${missing[*]} not installed (Debian packages xvfb, xdotool, poppler-utils):" \
        "the designer was not tried on an X server."
    exit 77
fi

work="$(mktemp -d)"
xvfb=""
finish() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2> /dev/null
        wait "$xvfb" 2> /dev/null
    fi
    rm -rf "$work"
}
trap finish EXIT

# Xvfb picks a free display itself and writes its number once it takes connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb" 2> /dev/null || break
    sleep 0.1
done
display=":$(head -n 1 "$work/display" 2> /dev/null)"
if [ "$display" = ":" ] || ! DISPLAY="$display" xdotool getdisplaygeometry > /dev/null 2>&1; then
    echo "SKIPPED: Xvfb did not start a display: the designer was not tried on an X server."
    tail -n 5 "$work/xvfb.log"
    exit 77
fi

DISPLAY="$display" QT_QPA_PLATFORM=xcb "$@"
