# shellcheck shell=bash
# Damaged files as players, other tools and broken downloads leave them, one at a time, in the
# game's folder: settings that are no numbers or no mode, a bitmap and a mesh cut short or
# replaced by noise. Each build's tests start the game over each and expect the game's own box,
# no crash, and every other file as it was. Sourced.
#   BadFileCases                  the cases' names
#   bad_file CASE FOLDER ASSETS   in FOLDER (the game's folder: d3d.ini, textures/ and models/,
#                                 links or files), puts the case's damaged file in place of its
#                                 link or file, made from the good one in ASSETS (a run folder's
#                                 textures/ and models/); prints the path it damaged, relative to
#                                 FOLDER, then the text the game's box is to show
source "$(dirname "${BASH_SOURCE[0]}")/write_settings.sh"

BadFileCases=(settings-words settings-no-mode bitmap-cut-short bitmap-noise mesh-cut-short
    mesh-noise)

# $2 bytes of noise, the same in every run.
noise() { # seed count
    LC_ALL=C awk -v seed="$1" -v count="$2" 'BEGIN {
        srand(seed); for (i = 0; i < count; i++) printf "%c", 1 + int(rand() * 255) }'
}

bad_file() { # case folder assets
    local name=$1 folder=$2 assets=$3 file text
    case "$name" in
    settings-words)
        file=d3d.ini text="Create D3D Device Failed."
        rm -f "$folder/$file"
        printf '0\n640\nfour hundred and eighty\n' >"$folder/$file"
        ;;
    settings-no-mode)
        file=d3d.ini text="Create D3D Device Failed."
        rm -f "$folder/$file"
        write_settings "$folder/$file" Width=12345 Height=678
        ;;
    bitmap-cut-short | bitmap-noise)
        # The pause picture is the first the game loads; the camera strip's message keeps its
        # misspelt name.
        if [ "$name" = bitmap-cut-short ]; then
            file=textures/PAUSED.bmp
            text="Create Texture from File PAUSED.bmp Failed.  Check textures are present."
        else
            file=textures/CAMERAS.bmp
            text="Create Texture from File CMAERAS.bmp Failed.  Check textures are present."
        fi
        ;;
    mesh-cut-short) file=models/floor.X text="Load Floor.x Failed." ;;
    mesh-noise) file=models/ball.x text="Load Ball.x Failed." ;;
    *) cannot_check "no bad-file case '$name'" ;;
    esac
    if [ "$file" != d3d.ini ]; then
        local good=$assets/$file size
        must_exist "$good"
        size=$(number "the size of $good" "$(stat -c %s "$good")")
        # A real folder in place of a link to the good one, so the damage stays in $folder.
        local dir=$folder/$(dirname "$file")
        if [ -L "$dir" ]; then
            rm "$dir"
            cp -r "$assets/$(dirname "$file")" "$dir"
        fi
        rm -f "$folder/$file"
        case "$name" in
        *-cut-short) head -c $((size / 2)) "$good" >"$folder/$file" ;;
        *-noise) noise "${#name}" "$size" >"$folder/$file" ;;
        esac
    fi
    echo "$file"
    echo "$text"
}
