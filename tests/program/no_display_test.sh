#!/bin/sh
# Every way of starting without a usable display ends with the program's own message and exit 1,
# never with Qt's abort. Each line: the environment the program starts in (nothing else is set).
keymint=$1
status=0
while read -r setting; do
    # shellcheck disable=SC2086 # one word per variable
    said=$(timeout 30 env -i HOME=/nonexistent XDG_RUNTIME_DIR=/nonexistent $setting \
           "$keymint" 2>&1 </dev/null)
    code=$?
    if [ "$code" -ne 1 ] ||
       [ "$said" != "Keymint needs a graphical desktop, but no display was found." ]; then
        echo "FAILED: ${setting:-(nothing)}: exit $code: $said"
        status=1
    fi
done <<'EOF'

QT_QPA_PLATFORM=xcb
QT_QPA_PLATFORM=xcb DISPLAY=:97
QT_QPA_PLATFORM=xcb:nograb DISPLAY=:97
DISPLAY=:97
DISPLAY=localhost:97
QT_QPA_PLATFORM=wayland
WAYLAND_DISPLAY=wayland-97
QT_QPA_PLATFORM=wayland;xcb WAYLAND_DISPLAY=/nonexistent/wayland-97 DISPLAY=:97
QT_QPA_PLATFORM=xcb;
XDG_SESSION_TYPE=wayland
EOF
exit "$status"
