#!/usr/bin/env bash
# The same .x files read three ways, which must give the same geometry: by Assimp (the Linux
# build's mesh_probe), by the text reader the browser decodes with (mesh_probe --text) and by
# Wine's own DirectX File (mesh_probe.exe, in a fresh prefix of tests/wine/with-wine.sh). The
# files: the exporter-style ones of tests/media/data and the game's two meshes. Prints the three
# readings; fails when a file does not load in any of them or two readings differ.
# Needs ZENDRILL_SOURCE_DIR, ZENDRILL_BIN_DIR (mesh_probe), ZENDRILL_RUN_DIR (the game's meshes)
# and ZENDRILL_WINDOWS_BIN (mesh_probe.exe).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

native=${ZENDRILL_BIN_DIR:?}/mesh_probe
windows=${ZENDRILL_WINDOWS_BIN:?}/mesh_probe.exe
[ -x "$native" ] || { echo "FAIL: $native is not built"; exit 1; }
[ -f "$windows" ] || { echo "SKIP: $windows is not built (cmake --preset windows)"; exit 77; }
if [ -z "${ZENDRILL_MESH_PROBE_WINE:-}" ]; then
    exec "$here/with-wine.sh" env ZENDRILL_MESH_PROBE_WINE=1 bash "$0" "$@"
fi

work=$(mktemp -d /tmp/zendrill-mesh-probe-XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "${ZENDRILL_SOURCE_DIR:?}"/tests/media/data/*.x "$work"/ || exit 1
cp "${ZENDRILL_RUN_DIR:?}/models/ball.x" "${ZENDRILL_RUN_DIR}/models/floor.X" "$work"/ || exit 1
cd "$work" || exit 1
files=(*.x *.X)

"$native" "${files[@]}" >assimp.txt 2>&1
"$native" --text "${files[@]}" >text.txt 2>&1
"$WINE" "$windows" "${files[@]}" 2>/dev/null | tr -d '\r' >wine.txt

status=0
for reading in assimp text wine; do
    echo "== $reading"
    cat "$reading.txt"
    loaded=$(grep -c ': result 0x00000000 ' "$reading.txt")
    if [ "$loaded" != "${#files[@]}" ]; then
        echo "FAIL: $reading loaded $loaded of ${#files[@]} files"
        status=1
    fi
done
for reading in text wine; do
    if ! diff -u assimp.txt "$reading.txt"; then
        echo "FAIL: $reading's geometry differs from Assimp's"
        status=1
    fi
done
[ "$status" = 0 ] && echo "PASS: ${#files[@]} files, the same geometry from all three readers"
exit "$status"
