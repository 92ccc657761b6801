#!/usr/bin/env bash
# Where the processor goes while a benchmark draws: runs the command given, which prints
# "... N frames/s ..." when it is done, and over a window of its run adds up the processor time
# of every thread on this machine by kind: the GL driver's rasteriser threads (llvmpipe), the
# thread that makes the GL calls (the program's main thread; in Chromium, its GPU process's), the
# page's main thread (Chromium's renderer: WebAssembly and JavaScript), the X server, and the
# rest. Printed as milliseconds of one core per frame drawn. A benchmark: it asserts nothing, and
# it counts every thread, so run it on an otherwise quiet machine.
#   bench/thread_time.sh program-name command [arguments]
# program-name: the name of the drawing program's process (first_frame), for its main thread.
set -uo pipefail

program=$1
shift
start_after=${ZENDRILL_WINDOW_START:-3}
window=${ZENDRILL_WINDOW:-4}
hz=$(getconf CLK_TCK)

# One line a thread: its id, its kind and its processor time so far in clock ticks.
snapshot() {
    local gpu renderer
    gpu=$(grep -las -- --type=gpu-process /proc/[0-9]*/cmdline | cut -d/ -f3 | tr '\n' ' ')
    renderer=$(grep -las -- --type=renderer /proc/[0-9]*/cmdline | cut -d/ -f3 | tr '\n' ' ')
    awk -v gpu=" $gpu" -v renderer=" $renderer" -v program="$program" '
    {
        # Each line: the path of a thread status file, a colon, the status line.
        split(substr($0, 1, index($0, ":") - 1), path, "/")
        pid = path[3]
        tid = path[5]
        # The name is in brackets and may hold anything; the fields follow the last bracket.
        from = index($0, "(")
        for (to = length($0); to > from && substr($0, to, 1) != ")"; to--) {}
        comm = substr($0, from + 1, to - from - 1)
        split(substr($0, to + 2), field, " ")
        kind = "rest"
        if (comm ~ /^llvmpipe-/) kind = "rasteriser"
        else if (tid == pid && (comm == program || index(gpu, " " pid " "))) kind = "calls"
        else if (tid == pid && index(renderer, " " pid " ")) kind = "page"
        else if (tid == pid && comm == "Xvfb") kind = "xserver"
        # utime and stime: the 14th and 15th fields, the 12th and 13th after the name.
        print tid, kind, field[12] + field[13]
    }' < <(grep -Hs '' /proc/[0-9]*/task/[0-9]*/stat) | LC_ALL=C sort
}

output=$(mktemp)
trap 'rm -f "$output" "$output".1 "$output".2' EXIT
"$@" >"$output" 2>&1 &
run=$!
sleep "$start_after"
snapshot >"$output.1"
began=$(date +%s%N)
sleep "$window"
snapshot >"$output.2"
ended=$(date +%s%N)
alive=yes
kill -0 "$run" 2>/dev/null || alive=no
wait "$run"
if [ $alive = no ]; then
    echo "the run ended before the $((start_after + window)) s it is measured over: give it more frames"
    exit 1
fi
rate=$(sed -n 's/.*[ :]\([0-9.]*\) frames\/s.*/\1/p' "$output" | head -1)
if [ -z "$rate" ]; then
    echo "no frame rate: $(tail -1 "$output")"
    exit 1
fi
LC_ALL=C join "$output.1" "$output.2" | awk -v hz="$hz" -v rate="$rate" \
    -v seconds="$(((ended - began) / 1000000))" '
    $2 == $4 { ticks[$2] += $5 - $3 }
    END {
        frames = rate * seconds / 1000
        split("rasteriser calls page xserver rest", order)
        split("rasteriser threads|GL calls|page main thread|X server|rest", names, "|")
        line = ""
        for (i = 1; i <= 5; i++) {
            ms = ticks[order[i]] * 1000 / hz / frames
            sum += ms
            if (order[i] == "page" && ticks["page"] == 0) continue
            line = line sprintf("%s%s %.1f", line == "" ? "" : ", ", names[i], ms)
        }
        printf "%s ms a frame (sum %.1f; %s frames/s)\n", line, sum, rate
    }'
