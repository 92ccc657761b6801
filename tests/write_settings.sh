# shellcheck shell=bash
# The one writer of the tests' d3d.ini: the seventeen values in their order, each a plain decimal
# integer, a line break between two of them and none after the last, as the setup tool saves them.
# Sourced.
#   write_settings [--crlf] FILE [Field=value ...]
# FILE "-" is standard output. Fields not given keep the defaults below: 640 x 480 at the
# adapter's default rate, X8R8G8B8, 16-bit depth, linear filtering, hardware vertex processing,
# mip-maps, no W-buffer, no snow, lighting and the three blend factors on, 4096-texel textures.
# --crlf writes CR LF line breaks, as the setup tool does on Windows. A field the file has no
# line for, or a value that is no plain number, ends the test (checked.sh).
source "$(dirname "${BASH_SOURCE[0]}")/checked.sh"

SettingsFields=(Adapter Width Height RefreshRate Format DepthStencilFormat FilterMethod
    HardwareVertexProcessing MipMapping WBuffering SnowLayerCount Lighting SrcBlendSrcColor
    DestBlendDestColor DestBlendSrcColor MaxTextureWidth MaxTextureHeight)
SettingsDefaults=(0 640 480 0 22 80 1 1 1 0 0 1 1 1 1 4096 4096)

write_settings() { # [--crlf] file [Field=value ...]
    local lineBreak=$'\n'
    [ "$1" = --crlf ] && { lineBreak=$'\r\n'; shift; }
    local file=$1
    shift
    local values=("${SettingsDefaults[@]}") pair field i
    for pair in "$@"; do
        field=${pair%%=*}
        for ((i = 0; i < ${#SettingsFields[@]}; i++)); do
            [ "${SettingsFields[i]}" = "$field" ] && break
        done
        [ "$i" -lt ${#SettingsFields[@]} ] || cannot_check "d3d.ini has no field '$field'"
        [[ ${pair#*=} =~ ^[0-9]+$ ]] ||
            cannot_check "d3d.ini's $field cannot be '${pair#*=}': not a plain decimal number"
        values[i]=${pair#*=}
    done
    local text=${values[0]}
    for ((i = 1; i < ${#values[@]}; i++)); do
        text+=$lineBreak${values[i]}
    done
    if [ "$file" = - ]; then
        printf '%s' "$text"
    else
        printf '%s' "$text" >"$file" || cannot_check "could not write $file"
    fi
}
