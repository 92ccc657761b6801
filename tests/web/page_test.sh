# shellcheck shell=bash
# The start and the end of every shell test of the page, sourced by it:
#   page_test_needs PAGE [FILE...]   sets $page (the page folder, absolute) and $tests (tests/);
#                                    skips the test (77) with the reason when the page's
#                                    programs or one of the FILEs are not built, or Node is not
#                                    installed
#   page_test_needs_chromium         skips the test when Chromium is not installed
#   page_test_needs_engine ENGINE PROGRAM...
#                                    skips the test when Firefox or WebKitGTK (ENGINE firefox or
#                                    webkit, as engines.mjs finds them) or one of the PROGRAMs its
#                                    display needs is not installed
#   page_test_on_display SCRIPT [ARG...]
#                                    runs the test again on an Xvfb display of its own
#                                    (tests/with-display.sh; ZENDRILL_XVFB_SCREEN gives the
#                                    screen), unless it is running on one already
#   page_test_end                    the verdict: the failed checks' count with the work folder
#                                    ($work) and the page's console ($work/page.log), exit 1; or
#                                    PASS, the work folder removed unless ZENDRILL_KEEP_SHOTS
#                                    asks to keep the screenshots
#   browse COMMAND [SECONDS]         one command to the browser's driver (the coprocess BROWSER):
#                                    its answer after "ok" in $reply, the whole answer in $answer;
#                                    fails on an error answer, or when none came within SECONDS
#                                    (default 200)

page_test_needs() { # page [file...]
    page=$(cd "${1:?the page folder}" 2>/dev/null && pwd) || page=$1
    shift
    local file
    for file in index.html zendrill.js zendrill.wasm zendrill.data "$@"; do
        [ -f "$page/$file" ] || {
            echo "SKIP: no $file in $page (cmake --preset web && cmake --build --preset web)"
            exit 77
        }
    done
    command -v node >/dev/null || { echo "SKIP: no node"; exit 77; }
    tests=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
}

page_test_needs_chromium() {
    [ -x /usr/bin/chromium ] ||
        { echo "SKIP: no chromium (scripts/install-deps.sh web installs it)"; exit 77; }
}

page_test_needs_engine() { # engine program...
    local engine=$1 program absent
    shift
    for program in "$@"; do
        command -v "$program" >/dev/null ||
            { echo "SKIP: no $program (scripts/install-deps.sh test)"; exit 77; }
    done
    absent=$(node --input-type=module -e "import { missing } from '$tests/web/engines.mjs';
        console.log(missing('$engine') ?? '')") || exit 1
    [ -z "$absent" ] || { echo "SKIP: no $absent (scripts/install-deps.sh web installs it)"; exit 77; }
}

page_test_on_display() { # script [arg...]
    [ -n "${ZENDRILL_ENGINE_DISPLAY:-}" ] && return 0
    ZENDRILL_ENGINE_DISPLAY=1 exec "$tests/with-display.sh" bash "$@"
}

page_test_end() {
    if [ "$failures" -ne 0 ]; then
        echo "$failures checks failed; screenshots and the page's console are in $work"
        cat "$work/page.log" 2>/dev/null
        exit 1
    fi
    [ -n "${ZENDRILL_KEEP_SHOTS:-}" ] && echo "screenshots in $work" || rm -rf "$work"
    echo PASS
}

# The game's own picture (its WebGL context read back, at the back buffer's 640 x 480) as the
# scenario's shots, in place of the screen's, for a page that does not fill the screen: replaces
# screen_checks.sh's shot and screen_size.
page_canvas_shots() {
    screen_size() {
        screenW=640
        screenH=480
    }
    shot() {
        rm -f "$work/$1.ppm"
        browse "shot $work/$1.ppm" || cannot_check "the browser could not take shot $1"
        must_exist "$work/$1.ppm"
    }
}

browse() { # command [seconds]
    answer=
    reply=
    echo "$1" >&"${BROWSER[1]}"
    read -r -t "${2:-200}" answer <&"${BROWSER[0]}" || true
    case "$answer" in
    ok) return 0 ;;
    ok\ *) reply=${answer#ok } && return 0 ;;
    esac
    echo "browser \"$1\": ${answer:-no answer}"
    return 1
}
