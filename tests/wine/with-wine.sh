#!/usr/bin/env bash
# Runs a command beside Wine on a fresh X display and a fresh Wine prefix of its own:
#   with-wine.sh [--size WxH] command [args...]
# The Xvfb server has the given size (default 1024x768, 24-bit): Wine makes a full-screen
# Direct3D device only at the X screen's own size, so a test starts its server at the mode it
# plays. The prefix lives in a temporary folder and is deleted afterwards; Mono and Gecko are
# switched off (no install prompts) and, where the system allows it, the command runs without
# network access. The command finds the Wine loader in $WINE and the prefix in $WINEPREFIX.
# Afterwards every Wine process of the prefix and the server are ended.
set -uo pipefail

size=1024x768
if [ "${1:-}" = --size ]; then
    size=$2
    shift 2
fi
[ $# -gt 0 ] || { echo "usage: with-wine.sh [--size WxH] command [args...]" >&2; exit 2; }

wine=
for candidate in "${WINE:-}" "$(command -v wine 2>/dev/null)" /usr/lib/wine/wine64 \
    "$(command -v wine64 2>/dev/null)"; do
    if [ -n "$candidate" ] && [ -x "$candidate" ]; then
        wine=$candidate
        break
    fi
done
[ -n "$wine" ] || { echo "SKIP: no Wine loader found (Debian's wine64 provides it)"; exit 77; }
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

# Without network: a private network namespace where the system lets us make one. The X server
# is reached through its socket file, which a network namespace does not hide.
offline=()
if unshare -n true 2>/dev/null; then
    offline=(unshare -n)
fi

home=$(mktemp -d /tmp/zendrill-wine-XXXXXX)
fifo=$home/displayfd
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" 2>/dev/null &
server=$!
read -r -t 20 number <"$fifo"
if [ -z "${number:-}" ]; then
    echo "with-wine: Xvfb did not start" >&2
    kill "$server" 2>/dev/null
    rm -rf "$home"
    exit 1
fi
export DISPLAY=":$number"
unset WAYLAND_DISPLAY

export WINE=$wine
export WINESERVER=$wineserver
export WINEPREFIX=$home/prefix
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME=$home # Wine links the prefix's user folders into $HOME; keep them inside it

finish() {
    "$wineserver" -k 2>/dev/null
    "$wineserver" -w 2>/dev/null
    kill "$server" 2>/dev/null
    wait "$server" 2>/dev/null
    rm -rf "$home"
}
trap finish EXIT

# A new prefix: wineboot fills it, then the server must settle before the first program.
if ! "${offline[@]}" "$wine" wineboot -i >"$home/wineboot.log" 2>&1; then
    echo "with-wine: wineboot failed" >&2
    cat "$home/wineboot.log" >&2
    exit 1
fi
"$wineserver" -w

"${offline[@]}" "$@"
exit $?
