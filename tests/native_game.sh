# shellcheck shell=bash
# The game program started natively ($bin, the Linux build) for the play and soak scenarios, on
# X11 and on Wayland alike: its output goes to $work/game.log. Sourced after checked.sh; defines
#   launch_game      starts $bin in the current folder in the background and sets $pid
#   game_running     succeeds while it runs
#   program_memory   its resident memory as "rss=KiB"
#   boxes_seen       the message boxes it showed (each also writes "caption: text" to the log)
launch_game() {
    "$bin" >"$work/game.log" 2>&1 &
    pid=$!
}
game_running() { kill -0 "$pid" 2>/dev/null; }
program_memory() { awk '/^VmRSS:/ { print "rss=" $2 }' "/proc/$pid/status"; }
boxes_seen() { count_lines '^(Fatal Error!|Run-Time Error|Reset Error): ' "$work/game.log"; }
