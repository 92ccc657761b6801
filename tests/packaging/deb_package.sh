#!/usr/bin/env bash
# The Debian package: cpack -G DEB builds it from the build folder, it holds the installed tree,
# its dependencies name the libraries the programs load (derived by dpkg-shlibdeps, plus the GL
# driver named by hand), and apt can install it on this machine (simulated: nothing changes).
#   deb_package.sh <build folder>
set -euo pipefail

build=$(realpath "${1:?build folder}")
work=$(mktemp -d /tmp/zendrill-deb.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$work") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
debs=("$work"/zendrill_*.deb)
[ -f "${debs[0]}" ] || fail "no zendrill_*.deb was made"
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for f in ./usr/bin/zendrill ./usr/bin/zendrill-setup ./usr/libexec/zendrill/zendrill \
    ./usr/libexec/zendrill/zendrill-setup ./usr/share/zendrill/textures/TITLE.bmp \
    ./usr/share/zendrill/models/floor.X ./usr/share/applications/zendrill.desktop \
    ./usr/share/applications/zendrill-setup.desktop \
    ./usr/share/icons/hicolor/256x256/apps/zendrill.png ./usr/share/man/man6/zendrill.6.gz; do
    grep -qxF "$f" <<<"$contents" || fail "the package lacks $f"
done
grep -q '^./usr/share/metainfo/.*\.metainfo\.xml$' <<<"$contents" || fail "the package has no metainfo"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for p in libsdl2-2.0-0 libqt6widgets6 libassimp5 libepoxy0 libgl1 libgl1-mesa-dri; do
    grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends does not name $p"
done

apt-get install --simulate "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; fail "apt cannot install the package here"; }
grep -q '^Inst zendrill ' "$work/apt.log" || { cat "$work/apt.log" >&2; fail "apt would not install zendrill"; }
echo "PASS: deb package"
