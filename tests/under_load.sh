#!/usr/bin/env bash
# Runs every whole-program test (the game and the setup tool on X11, Wayland, under Wine and on
# the page) several rounds in a row, as the suite runs them (the browser tests one at a time, the
# others two at a time), while every core is kept busy, and prints how often each one passed. A
# test that fails only here waits for something a fixed time, not for the state it needs. Not
# part of the suite: a round takes about a quarter of an hour on two cores.
#   tests/under_load.sh [build folder] [rounds] [test regex]
# The build folder is a configured default build (build/ unless given) whose tests find the
# Windows and the browser builds as the suite does; rounds are 5 unless given. Each round's ctest
# output stays in <build folder>/under-load/.
set -uo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
rounds=${2:-5}
whole='^(setup_|startup_|play_session|installed_tree|deb_package|wayland_|wine_|zendrill_setup_wine'
whole+='|pad_wine|web_)'
tests=${3:-$whole}
[ -f "$build/CTestTestfile.cmake" ] || { echo "no configured build in $build"; exit 2; }
out=$build/under-load
mkdir -p "$out"

# One busy loop per core, at the tests' own priority, for as long as the rounds take.
load=()
for ((i = 0; i < $(nproc); i++)); do
    bash -c 'while :; do :; done' &
    load+=($!)
done
trap 'kill "${load[@]}" 2>/dev/null' EXIT
echo "load: ${#load[@]} busy loops on $(nproc) cores; $rounds rounds of the tests matching $tests"

for ((round = 1; round <= rounds; round++)); do
    started=$SECONDS
    # As the suite runs them: the browser tests one at a time, the others two at a time.
    { ctest --test-dir "$build" -j2 -R "$tests" -LE web --output-on-failure
      ctest --test-dir "$build" -j1 -R "$tests" -L web --output-on-failure; } \
        >"$out/round-$round.log" 2>&1
    echo "round $round: $(grep -E '^[0-9]+% tests passed' "$out/round-$round.log" | paste -sd' ')" \
        "($((SECONDS - started)) s, load average $(cut -d' ' -f1 /proc/loadavg))"
done

# Each test's tally over the rounds, from ctest's result lines ("... Test #12: name ... Passed").
echo
echo "passed / rounds  test"
for ((round = 1; round <= rounds; round++)); do
    sed -n -E 's/^.*Test +#[0-9]+: ([^ ]+) \.+ *\**([A-Za-z]+).*$/\1 \2/p' "$out/round-$round.log" |
        sed "s/\$/ $round/"
done | awk -v rounds="$rounds" '
    {
        seen[$1]++
        if ($2 == "Passed") passed[$1]++
        else if ($2 == "Skipped") skipped[$1] = skipped[$1] " " $3
        else if ($2 != "Not") failed[$1] = failed[$1] " " $3
    }
    END {
        for (t in seen) {
            line = sprintf("%6d / %d     %s", passed[t], rounds, t)
            if (t in failed) line = line "   (failed in round" failed[t] ")"
            if (t in skipped) line = line "   (skipped in round" skipped[t] ": see its log)"
            print line
        }
    }' | sort -k4
# Not all green: the exit code says so.
! grep -q -E '^The following tests FAILED' "$out"/round-*.log
