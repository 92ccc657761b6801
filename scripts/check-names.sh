#!/usr/bin/env bash
# Lists the source files that break the naming rule for backend variants (HACKING.md, "Backends
# and file names") and exits 1 when there is any. The rule: a file that only one backend builds
# ends in that backend's name (_sdl, _web, _win32), one that both backends of the stand-in build
# but Windows does not ends in _standin (not needed inside compat/, which is the stand-in), and a
# file every backend builds carries no suffix. The CMake helper zendrill_backend_sources checks
# the lists a library is built from; this checks what each file includes.
set -uo pipefail
cd "$(dirname "$0")/.."

broken=0
report() { echo "check-names: $1: $2"; broken=1; }

# What each backend's own libraries look like when included.
sdl_libs='#include <(SDL|epoxy/|GL/|assimp/|Q[A-Z])'
web_libs='#include <(emscripten|GLES[23]/)'
win32_libs='#include <(wincodec|dxfile|rmxf|commctrl|xinput)'

for file in $(git ls-files 'common/*' 'compat/*' 'game/*' 'media/*' 'setup/*' | grep -E '\.(cpp|c|h)$'); do
    name=$(basename "$file")
    case "$name" in
        *_sdl.* | *_web.* | *_win32.* | *_standin.*) suffixed=1 ;;
        *) suffixed=0 ;;
    esac
    # A shared file may hold the two stand-in backends' few differences side by side, switched on
    # the compiler's own mark for the browser (gl_dialect.*, standin_window.h).
    grep -q '__EMSCRIPTEN__' "$file" && continue
    if grep -qE "$sdl_libs" "$file" && [[ "$name" != *_sdl.* ]]; then
        report "$file" "includes a desktop-only library; name it *_sdl"
    elif grep -qE "$web_libs" "$file" && [[ "$name" != *_web.* ]]; then
        report "$file" "includes a browser-only header; name it *_web"
    elif grep -qE "$win32_libs" "$file" && [[ "$name" != *_win32.* ]]; then
        report "$file" "includes a Windows-only header; name it *_win32"
    fi
    # A backend's file must be built by something, or its suffix says nothing true.
    if [ $suffixed -eq 1 ] && [[ "$name" == *.cpp || "$name" == *.c ]] &&
        ! git grep -qF "$name" -- '*CMakeLists.txt' '*.cmake'; then
        report "$file" "carries a backend suffix but no CMake list builds it"
    fi
done

# The SDK-shaped headers' folder holds only headers the real SDK also has.
for file in $(git ls-files 'compat/include/*'); do
    case "$(basename "$file")" in
        standin*) report "$file" "the stand-in's own header belongs in compat/standin/" ;;
    esac
done

[ $broken -eq 0 ] && echo "check-names: every file follows the backend naming rule"
exit $broken
