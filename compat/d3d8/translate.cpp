// Direct3D's values in GL's terms: primitive types, compare functions, blend factors and
// operations, texture addressing and filtering, and the colour and float encodings of render
// states. A value GL has no counterpart for is logged once and drawn as the nearest it has.
#include "d3d8_internal.h"

#include <cstring>

namespace d3d8
{
bool PrimitiveVertices(D3DPRIMITIVETYPE type, UINT count, uint64_t* vertices, GLenum* mode)
{
    switch (type)
    {
    case D3DPT_POINTLIST:
        *vertices = count;
        *mode = GL_POINTS;
        return true;
    case D3DPT_LINELIST:
        *vertices = uint64_t(count) * 2;
        *mode = GL_LINES;
        return true;
    case D3DPT_LINESTRIP:
        *vertices = uint64_t(count) + 1;
        *mode = GL_LINE_STRIP;
        return true;
    case D3DPT_TRIANGLELIST:
        *vertices = uint64_t(count) * 3;
        *mode = GL_TRIANGLES;
        return true;
    case D3DPT_TRIANGLESTRIP:
        *vertices = uint64_t(count) + 2;
        *mode = GL_TRIANGLE_STRIP;
        return true;
    case D3DPT_TRIANGLEFAN:
        *vertices = uint64_t(count) + 2;
        *mode = GL_TRIANGLE_FAN;
        return true;
    default:
        return false;
    }
}

D3DCMPFUNC ValidCompare(DWORD function)
{
    if (function >= D3DCMP_NEVER && function <= D3DCMP_ALWAYS)
        return static_cast<D3DCMPFUNC>(function);
    LogOnce("bad-cmp", "d3d8", "compare function %u is not a D3DCMPFUNC; ALWAYS is used", function);
    return D3DCMP_ALWAYS;
}

GLenum CompareToGl(DWORD function)
{
    // Both APIs list the eight functions in the same order.
    static_assert(GL_ALWAYS - GL_NEVER == D3DCMP_ALWAYS - D3DCMP_NEVER, "compare functions");
    return GL_NEVER + (ValidCompare(function) - D3DCMP_NEVER);
}

namespace
{
GLenum BlendToGl(DWORD blend, bool destination)
{
    switch (blend)
    {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        if (!destination)
            return GL_SRC_ALPHA_SATURATE;
        break;
    default:
        break;
    }
    LogOnce(destination ? "bad-destblend" : "bad-srcblend", "d3d8",
            "blend factor %u is not available as %s factor; %s is used", blend,
            destination ? "destination" : "source", destination ? "ZERO" : "ONE");
    return destination ? GL_ZERO : GL_ONE;
}
} // namespace

void BlendFactorsToGl(DWORD source, DWORD destination, GLenum* glSource, GLenum* glDestination)
{
    // The two "both" factors set the source and the destination factor at once, and override
    // whatever the destination state holds.
    if (source == D3DBLEND_BOTHSRCALPHA)
    {
        *glSource = GL_SRC_ALPHA;
        *glDestination = GL_ONE_MINUS_SRC_ALPHA;
        return;
    }
    if (source == D3DBLEND_BOTHINVSRCALPHA)
    {
        *glSource = GL_ONE_MINUS_SRC_ALPHA;
        *glDestination = GL_SRC_ALPHA;
        return;
    }
    *glSource = BlendToGl(source, false);
    *glDestination = BlendToGl(destination, true);
}

GLenum BlendOpToGl(DWORD op)
{
    switch (op)
    {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum FillToGl(DWORD fill)
{
    switch (fill)
    {
    case D3DFILL_POINT:
        return GL_POINT;
    case D3DFILL_WIREFRAME:
        return GL_LINE;
    default:
        return GL_FILL;
    }
}

GLint AddressToGl(DWORD mode)
{
    switch (mode)
    {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    default:
        return GL_REPEAT;
    }
}

GLint MinFilterToGl(DWORD min, DWORD mip)
{
    if (mip > D3DTEXF_LINEAR)
    {
        LogOnce("mip-aniso", "d3d8", "mip filter %u is drawn as a linear mip filter", mip);
        mip = D3DTEXF_LINEAR;
    }
    const bool minLinear = min >= D3DTEXF_LINEAR;
    if (mip == D3DTEXF_POINT)
        return minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    if (mip == D3DTEXF_LINEAR)
        return minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    return minLinear ? GL_LINEAR : GL_NEAREST;
}

GLint MagFilterToGl(DWORD mag)
{
    return mag >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
}

void ColorToFloats(D3DCOLOR color, float out[4])
{
    out[0] = ((color >> 16) & 0xff) / 255.0f;
    out[1] = ((color >> 8) & 0xff) / 255.0f;
    out[2] = (color & 0xff) / 255.0f;
    out[3] = ((color >> 24) & 0xff) / 255.0f;
}

DWORD FloatBits(float value)
{
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float BitsToFloat(DWORD bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}
} // namespace d3d8
