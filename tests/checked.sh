# shellcheck shell=bash
# Checks that cannot be made end the test. A helper that turns a command's output into a number or
# a verdict (a screenshot comparison, a pixel, a window look-up, a count of lines) would otherwise
# take a failed command, a missing file or an empty answer for a value, and a check such as
# "nothing changed" would pass without having compared anything. Sourced by the whole-program
# tests' helpers (screen_checks.sh, the drivers, write_settings.sh); sourcing it twice is harmless.
#   cannot_check WHAT       says what could not be checked and ends the test with exit code 1,
#                           also from inside $(...) or a pipeline (the test's EXIT trap still runs)
#   must_exist FILE...      cannot_check unless every file is there and not empty
#   number WHAT VALUE       prints VALUE when it is a decimal integer (a sign allowed), else
#                           cannot_check; WHAT names the command or file it came from
#   count_lines PATTERN FILE    lines of FILE matching the extended regular expression (grep -cE),
#                           0 included; cannot_check when FILE is missing or grep fails

[ -n "${checked_shell_loaded:-}" ] && return 0
checked_shell_loaded=1

# The test's own shell: a helper run in a subshell (command substitution, pipeline) signals it,
# and it ends once that subshell is done, before the check that wanted the value goes on.
trap 'echo "FAILED: the test ends here: a check above could not be made" >&2; exit 1' USR1

cannot_check() {
    echo "FAILED: cannot check: $*" >&2
    [ "$BASHPID" = "$$" ] || kill -s USR1 "$$"
    exit 1
}

must_exist() {
    local file
    for file in "$@"; do
        [ -s "$file" ] || cannot_check "$file is missing or empty"
    done
}

number() { # what value
    [[ $2 =~ ^-?[0-9]+$ ]] || cannot_check "$1 gave '$2', not a number"
    echo "$2"
}

count_lines() { # pattern file
    [ -f "$2" ] || cannot_check "no file $2 to count \"$1\" in"
    local n status
    n=$(grep -cE -- "$1" "$2")
    status=$?
    [ "$status" -le 1 ] || cannot_check "grep -cE '$1' $2 failed ($status)"
    number "grep -cE '$1' $2" "$n"
}
