#!/usr/bin/env bash
# Installs the Debian packages zendrill needs to build, play and test. Safe to run again: it only
# asks apt for what is missing. Runs as root, or through sudo otherwise.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    libsdl2-dev libepoxy-dev libassimp-dev qt6-base-dev
    libgl1-mesa-dri libglx-mesa0 libegl-mesa0
    libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    xvfb xauth xdotool imagemagick x11-utils
    xfonts-base zenity
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    libpng-dev openbox dpkg-dev desktop-file-utils appstream
    wine64 fonts-wine
    file
    wine64 fonts-wine
    # The Windows installer: cpack's NSIS generator runs makensis (amd64 stubs since 3.08)
    nsis
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
