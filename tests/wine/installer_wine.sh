#!/usr/bin/env bash
# The Windows download under Wine, used as a player uses it, on a 1024 x 768 screen and a fresh
# Wine prefix (tests/wine/with-wine.sh):
#   installer         the installer run silently (/S) puts the programs, the assets and the
#                     Start-menu entries in the user's own programs folder and registers its
#                     uninstaller; "Zendrill" first opens Zendrill Setup (Cancel there: a box
#                     says why the game cannot start; Save: the game starts), then goes straight
#                     to the title screen, and Escape ends it with 0; "Zendrill Setup" saves in
#                     the installed folder; uninstalling while a program runs stops and changes
#                     nothing; the silent uninstaller removes what was installed and keeps
#                     d3d.ini; the installer's version resource
#   zip FOLDER-NAME   the ZIP unpacked into a folder of that name (spaces, letters beyond ASCII):
#                     the listed files, the programs' version resources, README.txt with CR LF
#                     line ends; Zendrill Setup saves there, and the game, started there or
#                     through the launcher from elsewhere, reaches the title screen and ends on
#                     Escape with 0
# Under Wine the game's light must be off (Wine refuses it): the test sets line 12 of the saved
# d3d.ini to 0 before the game plays. Needs ZENDRILL_WINDOWS_PACKAGE (the packages' path without
# .zip or .exe) and ZENDRILL_WINDOWS_RUN (the assets the packages were made from).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_lib.sh"
. "$here/../play_scenario.sh" # sky, orbiting, escape_ends_game

mode=${1:-installer}
package=${ZENDRILL_WINDOWS_PACKAGE:?}
assets=${ZENDRILL_WINDOWS_RUN:?}
case "$mode" in
installer) file=$package.exe ;;
zip) file=$package.zip ;;
*)
    echo "unknown mode $mode"
    exit 2
    ;;
esac
[ -f "$file" ] || { echo "SKIP: no package $file (cpack --preset windows makes it)"; exit 77; }
[ -x "${WINE:-}" ] || command -v wine >/dev/null || command -v wine64 >/dev/null ||
    [ -x /usr/lib/wine/wine64 ] || { echo "SKIP: no Wine"; exit 77; }
if [ -z "${ZENDRILL_WINE_SCREEN:-}" ]; then
    exec "$here/with-wine.sh" --size 1024x768 env ZENDRILL_WINE_SCREEN=1024x768 \
        bash "$0" "$@"
fi

work=$(mktemp -d "$(dirname "$WINEPREFIX")/package-XXXXXX") # removed with the prefix
trap driver_cleanup EXIT
echo "package: $file"

# Waits up to $1 seconds for a command to succeed.
wait_until() { # seconds command...
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# Waits up to $2 seconds until no visible window is captioned exactly $1.
window_gone() { # caption seconds
    wait_until "$2" bash -c '! xdotool search --onlyvisible --name "^$0\$" >/dev/null' "$1"
}

# A Unix path for a Windows one.
unix_path() { "$WINE" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
# A Windows path for a Unix one.
windows_path() { "$WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

# Starts a program in folder $1; Wine's log of it (message boxes included) goes to
# $work/$2.log. Sets $pid, which ends with the program.
start_in() { # folder log-name program
    (cd "$1" && WINEDEBUG=+msgbox exec "$WINE" "$3") >"$work/$2.log" 2>&1 &
    pid=$!
}

# Opens a Start-menu entry as Windows' shell does; the log goes to $work/$2.log. The program runs
# on without a process of ours to wait for: $pid is empty.
open_entry() { # shortcut log-name
    WINEDEBUG=+msgbox "$WINE" start /unix "$1" >"$work/$2.log" 2>&1
    pid=
}

# Clicks the middle of a setup dialog control given in dialog units (x y w h): the window's size
# in pixels over the template's 305 x 322 units gives the scale.
click_control() { # window x y w h
    window_size "$1"
    xdotool mousemove --window "$1" $(((2 * $2 + $4) * WIDTH / 610)) \
        $(((2 * $3 + $5) * HEIGHT / 644)) click 1
}

# Saves in a freshly opened setup dialog with Space (Save has the focus) and waits for d3d.ini.
save_settings() { # folder
    local dialog
    dialog=$(find_window '3D Zendrill Setup' 90)
    [ -n "$dialog" ] || { fail "the \"3D Zendrill Setup\" dialog did not appear"; return 1; }
    pass "the \"3D Zendrill Setup\" dialog appears"
    # The lists are filled while the dialog starts; Space saves once it has the focus.
    xdotool windowactivate --sync "$dialog" 2>/dev/null || xdotool windowfocus --sync "$dialog"
    xdotool key --window "$dialog" space
    wait_until 30 test -f "$1/d3d.ini" || { fail "Save wrote no d3d.ini in $1"; return 1; }
    wait_until 30 bash -c '[ "$(tr -d "\r" <"$1" | wc -l)" -eq 16 ]' _ "$1/d3d.ini" ||
        fail "d3d.ini in $1 does not hold 17 lines: $(tr '\r\n' ' /' <"$1/d3d.ini")"
    pass "Zendrill Setup saved d3d.ini in $1"
}

# Wine cannot do the game's light: line 12 (Lighting) to 0.
lighting_off() { # folder
    sed -i '12s/^[01]\r$/0\r/' "$1/d3d.ini"
    [ "$(sed -n '12p' "$1/d3d.ini" | tr -d '\r')" = 0 ] || fail "could not turn the light off"
}

# The game is on its title screen: the sky in the corner, and the camera orbits. Then Escape.
title_then_escape() { # what
    local window
    window=$(find_window 'D3D Zendrill' 90)
    [ -n "$window" ] || { fail "$1: the game window did not appear"; return 1; }
    activate "$window"
    await title 90 sky && pass "$1: the title screen's sky" ||
        fail "$1: top-left pixel is ($(pixel title 4 4)), not the sky"
    await title2 30 orbiting && pass "$1: the title screen's camera orbits" ||
        fail "$1: the title screen stands still"
    escape_ends_game
    [ "$code" -eq 0 ] && pass "$1: Escape exits with 0" || fail "$1: exit code $code after Escape"
}

# A program's (or the installer's) version resource names the product, its own description and
# the package's version, and the file carries an icon.
check_version_info() { # file description
    local rc version=${package##*/zendrill-}
    version=${version%-win64}
    rc=$(x86_64-w64-mingw32-windres -i "$1" -O rc 2>&1)
    grep -qF "VALUE \"FileDescription\", \"$2\"" <<<"$rc" &&
        grep -qF 'VALUE "ProductName", "Zendrill"' <<<"$rc" &&
        grep -qF "VALUE \"ProductVersion\", \"$version\"" <<<"$rc" &&
        grep -q RT_GROUP_ICON <<<"$rc" &&
        pass "$(basename "$1"): \"$2\", version $version, an icon" ||
        fail "$(basename "$1"): no version resource \"$2\" $version with an icon: $rc"
}

# The files the packages hold, one a line, sorted.
expected_files() {
    {
        printf '%s\n' README.txt zendrill.exe zendrill-setup.exe zendrill-launcher.exe
        (cd "$assets" && find textures models -type f)
    } | sort
}
installed_files() { # folder
    (cd "$1" && find . -type f ! -name d3d.ini ! -name Uninstall.exe | sed 's|^\./||' | sort)
}

case "$mode" in
installer)
    # ---- Silent install into the user's own programs folder --------------------------------
    "$WINE" "$(windows_path "$file")" /S >"$work/install.log" 2>&1
    code=$?
    [ "$code" -eq 0 ] && pass "the silent install ends with 0" ||
        fail "the install ended with $code"
    folder=$(unix_path "$("$WINE" cmd /c 'echo %LOCALAPPDATA%\Programs\Zendrill' | tr -d '\r')")
    menu=$(unix_path "$("$WINE" cmd /c 'echo %APPDATA%\Microsoft\Windows\Start Menu\Programs' |
        tr -d '\r')")
    echo "installed folder: $folder"
    wait_until 60 test -f "$folder/Uninstall.exe" || fail "no Uninstall.exe in $folder"
    diff <(expected_files) <(installed_files "$folder") >"$work/files.diff" &&
        pass "the programs, README.txt and every asset are installed" ||
        fail "the installed files differ: $(cat "$work/files.diff")"
    cmp -s "$assets/textures/BALL.bmp" "$folder/textures/BALL.bmp" ||
        fail "textures/BALL.bmp is not the built one"
    for entry in "Zendrill" "Zendrill Setup"; do
        [ -f "$menu/$entry.lnk" ] && pass "Start-menu entry \"$entry\"" ||
            fail "no Start-menu entry \"$entry\" in $menu"
    done
    check_version_info "$file" "Zendrill installer"
    key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zendrill'
    uninstall=$("$WINE" reg query "$key" /v UninstallString 2>/dev/null | tr -d '\r' |
        sed -n 's/.*REG_SZ *"\(.*\)"$/\1/p')
    [ "$(unix_path "$uninstall")" = "$folder/Uninstall.exe" ] &&
        pass "Windows' list of installed apps has Zendrill with its uninstaller" ||
        fail "the uninstall entry names '$uninstall'"

    # ---- "Zendrill" before any settings: Zendrill Setup first; Cancel starts no game ---------
    open_entry "$menu/Zendrill.lnk" entry-cancel
    dialog=$(find_window '3D Zendrill Setup' 90)
    if [ -n "$dialog" ]; then
        pass "\"Zendrill\" opens Zendrill Setup while there are no settings"
        xdotool windowactivate --sync "$dialog" 2>/dev/null
        click_control "$dialog" 157 286 126 14 # Cancel
        box=$(find_window Zendrill 60)
        if [ -n "$box" ]; then
            text="Zendrill Setup saved no settings, so the game cannot start."
            text="$text Start Zendrill again and press Save."
            [ "$(box_texts "$work/entry-cancel.log")" = "$text" ] &&
                pass "after Cancel a box says the game cannot start without settings" ||
                fail "the box said \"$(box_texts "$work/entry-cancel.log")\""
            close_box "$box" Zendrill
            window_gone Zendrill 30 || fail "the box stays open"
        else
            fail "no box after Cancel in Zendrill Setup"
        fi
    else
        fail "\"Zendrill\" did not open Zendrill Setup"
    fi
    [ -n "$(find_window 'D3D Zendrill' 0)" ] && fail "the game started after Cancel"
    [ ! -e "$folder/d3d.ini" ] || fail "a d3d.ini appeared after Cancel"

    # ---- The launcher again, from another folder: Save, and the game starts -----------------
    start_in "$work" launcher-save "$folder/zendrill-launcher.exe"
    if save_settings "$folder"; then
        window=$(find_window 'D3D Zendrill' 90)
        [ -n "$window" ] && pass "after Save the game starts" || fail "no game after Save"
        # Wine refuses the game's light, which the saved settings switch on: its "Run-Time
        # Error" box ends the game. Where the light works, Escape does.
        box=$(find_window 'Run-Time Error' 30)
        if [ -n "$box" ]; then
            echo "the game refused Wine's light, as expected (\"Run-Time Error\")"
            close_box "$box" 'Run-Time Error'
            game_exit 30
        else
            escape_ends_game
        fi
        [ "$code" -ne 124 ] || fail "the game started after Save did not end"
    fi

    # ---- With settings: straight to the title screen; the game's exit code comes through ----
    lighting_off "$folder"
    start_in "$work" launcher-play "$folder/zendrill-launcher.exe"
    title_then_escape "the launcher with settings"
    ! grep -q 'trace:msgbox' "$work/launcher-play.log" ||
        fail "a box was shown: $(box_texts "$work/launcher-play.log")"

    # ---- "Zendrill Setup" saves in the installed folder -------------------------------------
    rm -f "$folder/d3d.ini"
    open_entry "$menu/Zendrill Setup.lnk" entry-setup
    save_settings "$folder"
    window_gone '3D Zendrill Setup' 30 ||
        fail "\"Zendrill Setup\" stays open after Save"

    # ---- Uninstalling while a program runs stops and changes nothing ------------------------
    start_in "$folder" setup-running "$folder/zendrill-setup.exe"
    dialog=$(find_window '3D Zendrill Setup' 90)
    if [ -n "$dialog" ]; then
        # _?= runs the uninstaller in place, so its exit code is its own.
        "$WINE" "$(windows_path "$folder/Uninstall.exe")" /S "_?=$(windows_path "$folder")" \
            >"$work/uninstall-running.log" 2>&1
        code=$?
        [ "$code" -ne 0 ] && pass "uninstalling while Zendrill Setup runs stops ($code)" ||
            fail "uninstalling while Zendrill Setup runs reported success"
        diff <(expected_files) <(installed_files "$folder") >/dev/null &&
            [ -f "$menu/Zendrill.lnk" ] && "$WINE" reg query "$key" >/dev/null 2>&1 &&
            pass "... and left the installation whole" ||
            fail "the stopped uninstall removed parts of the installation"
        click_control "$dialog" 157 286 126 14 # Cancel
        game_exit 30
    else
        fail "zendrill-setup.exe did not start from the installed folder"
    fi

    # ---- Silent uninstall: everything installed goes, d3d.ini stays -------------------------
    "$WINE" "$(windows_path "$folder/Uninstall.exe")" /S >"$work/uninstall.log" 2>&1
    # The uninstaller runs on from a copy of itself and ends after the original has returned.
    wait_until 90 test ! -e "$folder/Uninstall.exe" || fail "Uninstall.exe is still there"
    wait_until 30 test ! -e "$folder/textures" || fail "textures\\ is still there"
    left=$(cd "$folder" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | tr '\n' ' ')
    [ "$left" = "d3d.ini " ] && pass "uninstalled: the folder holds only the player's d3d.ini" ||
        fail "after uninstalling the folder holds: $left"
    for entry in "Zendrill" "Zendrill Setup"; do
        [ ! -e "$menu/$entry.lnk" ] || fail "Start-menu entry \"$entry\" is still there"
    done
    "$WINE" reg query "$key" >/dev/null 2>&1 && fail "the uninstall entry is still registered" ||
        pass "the uninstall entry is gone"
    ;;
zip)
    name=${2:-Zendrill folder}
    base="$work/Games"
    mkdir -p "$base"
    (cd "$base" && cmake -E tar xf "$file") || fail "the ZIP does not unpack"
    top=$(basename "$package")
    [ -d "$base/$top" ] || fail "the ZIP holds no folder $top"
    mv "$base/$top" "$base/$name"
    folder="$base/$name"
    echo "unpacked into: $folder"
    diff <(expected_files) <(installed_files "$folder") >"$work/files.diff" &&
        pass "the ZIP holds the programs, README.txt and every asset" ||
        fail "the ZIP's files differ: $(cat "$work/files.diff")"
    check_version_info "$folder/zendrill.exe" Zendrill
    check_version_info "$folder/zendrill-setup.exe" "Zendrill Setup"
    check_version_info "$folder/zendrill-launcher.exe" "Zendrill launcher"
    lines=$(wc -l <"$folder/README.txt")
    crlf=$(grep -c $'\r$' "$folder/README.txt")
    [ "$lines" -gt 20 ] && [ "$crlf" -eq "$lines" ] && pass "README.txt: $lines lines, all CR LF" ||
        fail "README.txt: $crlf of $lines lines end in CR LF"

    start_in "$folder" setup "$folder/zendrill-setup.exe"
    save_settings "$folder" && game_exit 30
    lighting_off "$folder"
    start_in "$folder" game "$folder/zendrill.exe"
    title_then_escape "zendrill.exe in \"$name\""
    # The launcher finds its folder by itself, whatever the folder's name and the working one.
    start_in "$work" launcher "$folder/zendrill-launcher.exe"
    title_then_escape "zendrill-launcher.exe in \"$name\""
    for log in game launcher; do
        ! grep -q 'trace:msgbox' "$work/$log.log" ||
            fail "a box was shown: $(box_texts "$work/$log.log")"
    done
    ;;
esac

if [ "$failures" -ne 0 ]; then
    echo "$failures checks failed"
    for log in "$work"/*.log; do
        echo "---- $log"
        tail -n 30 "$log"
    done
    exit 1
fi
echo "PASS ($mode${2:+ $2})"
