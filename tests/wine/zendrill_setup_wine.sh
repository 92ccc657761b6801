#!/usr/bin/env bash
# The Windows setup tool under Wine, driven as a user drives it:
#   zendrill_setup_wine.sh <zendrill-setup.exe> [screenshot.png]
# On its own Xvfb (1024x768, 24-bit) and a fresh Wine prefix in a temporary folder (with-wine.sh),
# it
#   1. opens the "3D Zendrill Setup" dialog, takes a screenshot of it, and saves with Space (Save
#      has the focus in a fresh dialog): d3d.ini holds seventeen values, CR LF between them and no
#      final line break, with the mode, formats and flags Wine's adapter offers;
#   2. picks "Heavy", "Point Filtering" and clears "Mip-Mapping" with mouse clicks, then clicks
#      Save: the file carries those choices;
#   3. presses Escape (the dialog stays open) and clicks Cancel: the file is left byte for byte;
#   4. saves where d3d.ini cannot be replaced: a message box gives the reason, the dialog stays
#      open, and Cancel then leaves nothing behind.
# Exits 77 (skipped) when the program or Wine is missing (with-wine.sh finds Wine).
set -uo pipefail

exe=${1:-}
shot=${2:-$PWD/zendrill_setup_wine.png}
if [ -z "$exe" ] || [ ! -f "$exe" ]; then
    echo "SKIP: no Windows build of zendrill-setup at '${exe}'"
    exit 77
fi
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")

# The checks run beside Wine on a display and a prefix of their own (with-wine.sh), which end
# with them.
if [ -z "${ZENDRILL_SETUP_WINE_INSIDE:-}" ]; then
    export ZENDRILL_SETUP_WINE_INSIDE=1
    exec "$(dirname "$0")/with-wine.sh" --size 1024x768 "$0" "$exe" "$shot"
fi
home=$(mktemp -d "$(dirname "$WINEPREFIX")/setup-XXXXXX") # removed with the prefix
source "$(dirname "$0")/../x11_driver.sh" # window_drawn

setup_pid=
finish() { # shellcheck disable=SC2317 # run by the trap
    [ -n "$setup_pid" ] && kill "$setup_pid" 2>/dev/null
}
trap finish EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

run=$home/run
mkdir -p "$run"

# ---- Driving the dialog ---------------------------------------------------------------------
dialog=
start_setup() {
    (cd "$run" && exec "$WINE" "$exe") >"$home/setup.log" 2>&1 &
    setup_pid=$!
    dialog=
    for _ in $(seq 1 600); do
        dialog=$(xdotool search --onlyvisible --name '^3D Zendrill Setup$' 2>/dev/null | head -n1)
        [ -n "$dialog" ] && break
        kill -0 "$setup_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -z "$dialog" ]; then
        fail "the 3D Zendrill Setup dialog did not appear"
        cat "$home/setup.log" >&2
        return 1
    fi
    # The lists are filled during WM_INITDIALOG; input goes in once the dialog has painted.
    window_drawn "$dialog" 60 || fail "the dialog did not finish drawing"
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    return 0
}

# Waits for the program to end and checks its exit code (0 after Save and after Cancel).
expect_exit() {
    for _ in $(seq 1 300); do
        kill -0 "$setup_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$setup_pid" 2>/dev/null; then
        fail "$1: zendrill-setup is still running"
        kill "$setup_pid" 2>/dev/null
    fi
    wait "$setup_pid"
    local status=$?
    setup_pid=
    if [ "$status" -eq 137 ]; then # see wine_exit_code in wine_lib.sh
        echo "note: $1: Wine killed the exiting program (137); taken as 0"
        status=0
    fi
    [ "$status" -eq 0 ] || fail "$1: exit code $status, expected 0"
}

# Clicks the middle of a control given by its template rectangle in dialog units (x y w h). The
# window's size in pixels over the template's 305 x 322 units gives the scale.
click_control() {
    local x=$1 y=$2 w=$3 h=$4
    local WIDTH HEIGHT
    window_size "$dialog"
    local px=$(((2 * x + w) * WIDTH / 610))
    local py=$(((2 * y + h) * HEIGHT / 644))
    xdotool mousemove --window "$dialog" "$px" "$py" click 1
}

# ---- Checking d3d.ini -----------------------------------------------------------------------
# Fails when anything but d3d.ini lies in the run folder (a temporary file a save left behind).
expect_only_settings_file() {
    local extra
    extra=$(find "$run" -mindepth 1 -maxdepth 1 ! -name d3d.ini -printf '%f ')
    [ -z "$extra" ] || fail "$1: files left beside d3d.ini: $extra"
}

values=()
check_file() {
    local what=$1 file=$run/d3d.ini
    values=()
    if [ ! -f "$file" ]; then
        fail "$what: no d3d.ini written"
        return
    fi
    local crlf lf last
    crlf=$(count_lines $'\r$' "$file")
    lf=$(tr -cd '\n' <"$file" | wc -c)
    last=$(tail -c1 "$file" | od -An -c | tr -d ' ')
    [ "$lf" -eq 16 ] || fail "$what: $lf line breaks, expected 16"
    [ "$crlf" -eq 16 ] || fail "$what: $crlf lines end in CR LF, expected 16"
    case $last in
        [0-9]) ;;
        *) fail "$what: the file ends in '$last', not in the last value" ;;
    esac
    mapfile -t values < <(tr -d '\r' <"$file")
    [ "${#values[@]}" -eq 17 ] || fail "$what: ${#values[@]} values, expected 17"
    local v
    for v in "${values[@]}"; do
        [[ $v =~ ^[0-9]+$ ]] || fail "$what: '$v' is not a plain decimal number"
    done
    expect_only_settings_file "$what"
}

expect_value() { # line, allowed values..., name
    local line=$1 name=$2
    shift 2
    local v=${values[$((line - 1))]:-} ok=1 a
    for a in "$@"; do
        [ "$v" = "$a" ] && ok=0
    done
    [ $ok -eq 0 ] || fail "line $line ($name) is '$v', expected one of: $*"
}

# ---- 1. The dialog as it opens; Save with Space ---------------------------------------------
if start_setup; then
    import -window root "$shot" 2>/dev/null || fail "no screenshot"
    echo "zendrill_setup_wine: dialog $(xdotool getwindowgeometry "$dialog" | tr '\n' ' ')"
    echo "zendrill_setup_wine: screenshot $shot"
    xdotool key --window "$dialog" space
    expect_exit "save with Space"
    check_file "save with Space"
    echo "zendrill_setup_wine: d3d.ini after Save: ${values[*]}"
    expect_value 1 Adapter 0
    # The desktop mode is preselected: the Xvfb screen, 32 bits.
    expect_value 2 Width 1024
    expect_value 3 Height 768
    [[ ${values[3]:-x} =~ ^[0-9]+$ ]] || fail "line 4 (RefreshRate) is not a number"
    expect_value 5 Format 22 23
    expect_value 6 DepthStencilFormat 70 71 73 75 77 79 80
    expect_value 7 FilterMethod 0 1
    for line in 8 9 10 12 13 14 15; do
        expect_value "$line" flag 0 1
    done
    expect_value 11 SnowLayerCount 12
    for line in 16 17; do
        v=${values[$((line - 1))]:-0}
        [ "$v" -ge 256 ] 2>/dev/null || fail "line $line (texture limit) is '$v', expected 256 or more"
    done
fi

# ---- 2. Choices made with the mouse ---------------------------------------------------------
if start_setup; then
    click_control 230 251 37 10  # Heavy
    click_control 185 183 58 10  # Point Filtering
    click_control 25 198 57 10   # Mip-Mapping: checked at start where offered, so this clears it
    click_control 16 286 133 14  # Save
    expect_exit "save with the mouse"
    check_file "save with the mouse"
    echo "zendrill_setup_wine: d3d.ini after the clicks: ${values[*]}"
    expect_value 7 FilterMethod 0
    expect_value 9 MipMapping 0
    expect_value 11 SnowLayerCount 25
fi

# ---- 3. Escape keeps the dialog, Cancel writes nothing --------------------------------------
if [ -f "$run/d3d.ini" ]; then
    cp "$run/d3d.ini" "$home/before.ini"
    if start_setup; then
        xdotool key --window "$dialog" Escape
        sleep 1
        kill -0 "$setup_pid" 2>/dev/null || fail "Escape ended the dialog"
        click_control 157 286 126 14  # Cancel
        expect_exit "cancel"
        cmp -s "$run/d3d.ini" "$home/before.ini" || fail "Cancel changed d3d.ini"
        expect_only_settings_file cancel
        grep -q "User Clicked Cancel." "$home/setup.log" ||
            fail "cancel: zendrill-setup did not report the cancel"
    fi
fi

# ---- 4. A save that cannot replace d3d.ini is reported and keeps the dialog ------------------
rm -rf "$run"
mkdir -p "$run/d3d.ini" # a folder in the file's place cannot be replaced
if start_setup; then
    xdotool key --window "$dialog" space
    box=
    for _ in $(seq 1 100); do
        box=$(xdotool search --onlyvisible --name '^3D Zendrill Setup$' 2>/dev/null |
            grep -vx "$dialog" | head -n1)
        [ -n "$box" ] && break
        sleep 0.1
    done
    if [ -n "$box" ]; then
        xdotool windowfocus --sync "$box" 2>/dev/null
        xdotool key Return
        for _ in $(seq 1 200); do
            xdotool search --onlyvisible --name '^3D Zendrill Setup$' 2>/dev/null |
                grep -qx "$box" || break
            sleep 0.1
        done
    else
        fail "failed save: no message box"
    fi
    kill -0 "$setup_pid" 2>/dev/null || fail "failed save: the dialog ended"
    grep -q "3D Zendrill Setup: Could not replace d3d.ini." "$home/setup.log" ||
        fail "failed save: the reason is not on standard error"
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    click_control 157 286 126 14  # Cancel
    expect_exit "cancel after a failed save"
    [ -d "$run/d3d.ini" ] || fail "failed save: the folder in d3d.ini's place was changed"
    expect_only_settings_file "failed save"
fi

if [ "$failures" -gt 0 ]; then
    echo "zendrill_setup_wine: $failures failure(s)" >&2
    exit 1
fi
echo "zendrill_setup_wine: all checks passed"
exit 0
