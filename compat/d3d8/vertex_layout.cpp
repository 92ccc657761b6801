// Flexible vertex formats: where each element of a vertex lies, and the GL attribute pointers
// that read them for the fixed-function shader's inputs.
#include "d3d8_internal.h"

#include <cstring>

namespace d3d8
{
namespace
{
enum : DWORD
{
    kFvfKnownBits = D3DFVF_POSITION_MASK | D3DFVF_NORMAL | D3DFVF_PSIZE | D3DFVF_DIFFUSE |
                    D3DFVF_SPECULAR | D3DFVF_TEXCOUNT_MASK | 0xffff0000u, // the coordinate sizes
};

int TexCoordSize(DWORD fvf, UINT set)
{
    switch ((fvf >> (16 + 2 * set)) & 3)
    {
    case D3DFVF_TEXTUREFORMAT1:
        return 1;
    case D3DFVF_TEXTUREFORMAT3:
        return 3;
    case D3DFVF_TEXTUREFORMAT4:
        return 4;
    default:
        return 2; // D3DFVF_TEXTUREFORMAT2
    }
}

// Points `location` at the element `offset` bytes into each vertex, or, where the format has
// no such element, gives every vertex the value `absent`.
void Attribute(GlState* gl, GLuint location, GLuint buffer, GLint size, GLenum type,
               GLboolean normalized, GLsizei stride, int offset, const float absent[4])
{
    if (offset < 0)
        GlAttributeConstant(gl, location, absent);
    else
        GlAttributeArray(gl, location, buffer, size, type, normalized, stride,
                         static_cast<uintptr_t>(offset));
}
} // namespace

VertexLayout LayoutOfFvf(DWORD fvf)
{
    VertexLayout layout;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if ((fvf & ~kFvfKnownBits) != 0 || (position != D3DFVF_XYZ && position != D3DFVF_XYZRHW))
        return layout;
    const UINT texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (texCount > 8)
        return layout;
    layout.Pretransformed = position == D3DFVF_XYZRHW;
    UINT offset = layout.Pretransformed ? 16 : 12;
    if (fvf & D3DFVF_NORMAL)
    {
        layout.NormalOffset = static_cast<int>(offset);
        offset += 12;
    }
    if (fvf & D3DFVF_PSIZE)
        offset += 4;
    if (fvf & D3DFVF_DIFFUSE)
    {
        layout.DiffuseOffset = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR)
    {
        layout.SpecularOffset = static_cast<int>(offset);
        offset += 4;
    }
    layout.TexCoordCount = texCount;
    for (UINT i = 0; i < texCount; ++i)
    {
        const int size = TexCoordSize(fvf, i);
        layout.TexCoordOffset[i] = static_cast<int>(offset);
        layout.TexCoordSize[i] = size;
        offset += static_cast<UINT>(size) * 4;
    }
    layout.Size = offset;
    layout.Valid = true;
    return layout;
}

void BindAttributes(IDirect3DDevice8::Impl* device, GLuint buffer, const VertexLayout& layout,
                    UINT stride)
{
    SharedContext* shared = device->Shared;
    GlState* gl = &shared->Gl;
    // The low word picks the coordinate set; the high word's generation flags are not emulated.
    const DWORD texCoordIndex = device->StageStates[0][D3DTSS_TEXCOORDINDEX] & 0xffff;
    const VertexSetup setup(buffer, device->VertexShader, stride, texCoordIndex);
    auto found = shared->VertexArrays.find(setup);
    if (found == shared->VertexArrays.end())
    {
        VertexArrayObject object;
        glGenVertexArrays(1, &object.Object);
        found = shared->VertexArrays.emplace(setup, object).first;
        GlBindVertexArray(gl, object.Object, nullptr);
    }
    else
        GlBindVertexArray(gl, found->second.Object, found->second.Arrays);
    const GLsizei s = static_cast<GLsizei>(stride);
    static const float kNoNormal[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    static const float kNoDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f}; // opaque white
    static const float kNoSpecular[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    static const float kNoTexCoord[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    Attribute(gl, kPositionAttribute, buffer, layout.Pretransformed ? 4 : 3, GL_FLOAT, GL_FALSE, s,
              0, nullptr);
    Attribute(gl, kNormalAttribute, buffer, 3, GL_FLOAT, GL_FALSE, s, layout.NormalOffset,
              kNoNormal);
    // D3DCOLOR is the bytes B, G, R, A in memory (kColorAttributeSize says who reorders them).
    Attribute(gl, kDiffuseAttribute, buffer, kColorAttributeSize, GL_UNSIGNED_BYTE, GL_TRUE, s,
              layout.DiffuseOffset, kNoDiffuse);
    Attribute(gl, kSpecularAttribute, buffer, kColorAttributeSize, GL_UNSIGNED_BYTE, GL_TRUE, s,
              layout.SpecularOffset, kNoSpecular);
    const bool hasTexCoord = texCoordIndex < layout.TexCoordCount;
    Attribute(gl, kTexCoordAttribute, buffer, hasTexCoord ? layout.TexCoordSize[texCoordIndex] : 4,
              GL_FLOAT, GL_FALSE, s, hasTexCoord ? layout.TexCoordOffset[texCoordIndex] : -1,
              kNoTexCoord);
    std::memcpy(found->second.Arrays, gl->Attributes, sizeof found->second.Arrays);
}

void DeleteVertexArrays(SharedContext* shared, GLuint buffer)
{
    for (auto i = shared->VertexArrays.begin(); i != shared->VertexArrays.end();)
    {
        if (std::get<0>(i->first) != buffer)
        {
            ++i;
            continue;
        }
        if (shared->Gl.VertexArray == i->second.Object)
            ForgetVertexArray(&shared->Gl);
        glDeleteVertexArrays(1, &i->second.Object);
        i = shared->VertexArrays.erase(i);
    }
}

void DeleteAllVertexArrays(SharedContext* shared)
{
    for (auto& entry : shared->VertexArrays)
        glDeleteVertexArrays(1, &entry.second.Object);
    shared->VertexArrays.clear();
    ForgetVertexArray(&shared->Gl);
}
} // namespace d3d8
