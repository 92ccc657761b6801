#!/usr/bin/env bash
# Installs the Debian packages that zendrill needs for the purposes named on the command line:
#   scripts/install-deps.sh play          build and play (scripts/play.sh)
#   scripts/install-deps.sh play windows  ... and the Windows build
#   scripts/install-deps.sh [all]         every purpose (scripts/test.sh, CI)
# The purposes and their packages are listed in scripts/packages.txt; play is always included.
# Safe to run again: it only asks apt for what is missing. Runs as root, or through sudo.
set -euo pipefail
list="$(dirname "$0")/packages.txt"

# The purposes the list knows, in their order there.
known=$(awk '!/^#/ && NF { print $1 }' "$list" | awk '!seen[$0]++')

wanted=("$@")
[ ${#wanted[@]} -eq 0 ] && wanted=(all)
selected=" play "
for purpose in "${wanted[@]}"; do
    if [ "$purpose" = all ]; then
        selected=" $(echo $known) "
    elif grep -qx -- "$purpose" <<<"$known"; then
        [[ "$selected" == *" $purpose "* ]] || selected+="$purpose "
    else
        echo "install-deps: no purpose '$purpose'; the purposes are: all" $known >&2
        exit 2
    fi
done

# The packages of the selected purposes, each once.
packages=()
while read -r purpose names; do
    case "$purpose" in '' | '#'*) continue ;; esac
    [[ "$selected" == *" $purpose "* ]] || continue
    for p in $names; do
        [[ " ${packages[*]-} " == *" $p "* ]] || packages+=("$p")
    done
done <"$list"

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps ($(echo $selected)): all ${#packages[@]} packages present"
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    sudo=()
else
    sudo=(sudo)
fi
echo "install-deps ($(echo $selected)): installing ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
