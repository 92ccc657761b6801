// The device-free half of mesh loading: Assimp's .x reader, then the triangle list.
//
// Assimp's .x importer hands every scene over in its own right-handed convention: it negates z
// (positions, normals and frame transforms), reverses each face's winding and stores v as 1 - v.
// A .x file is already in the scene's left-handed convention, which the game relies on, so all
// three are undone here and the vertices come out as the file stores them.
#include "mesh_import.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

namespace d3dx
{

namespace
{
D3DCOLORVALUE MaterialColour(const aiMaterial* material, const char* key, unsigned type,
                             unsigned index, D3DCOLORVALUE fallback)
{
    aiColor4D colour;
    if (material && aiGetMaterialColor(material, key, type, index, &colour) == AI_SUCCESS)
        return {colour.r, colour.g, colour.b, colour.a};
    return fallback;
}

MeshMaterial ReadMaterial(const aiScene* scene, const aiMesh* mesh)
{
    const aiMaterial* material = mesh->mMaterialIndex < scene->mNumMaterials
                                     ? scene->mMaterials[mesh->mMaterialIndex]
                                     : nullptr;
    MeshMaterial result{};
    result.Material.Diffuse =
        MaterialColour(material, AI_MATKEY_COLOR_DIFFUSE, {1.0f, 1.0f, 1.0f, 1.0f});
    result.Material.Ambient = result.Material.Diffuse;
    result.Material.Specular =
        MaterialColour(material, AI_MATKEY_COLOR_SPECULAR, {0.0f, 0.0f, 0.0f, 1.0f});
    result.Material.Emissive =
        MaterialColour(material, AI_MATKEY_COLOR_EMISSIVE, {0.0f, 0.0f, 0.0f, 1.0f});
    float power = 0.0f;
    if (material && aiGetMaterialFloat(material, AI_MATKEY_SHININESS, &power) == AI_SUCCESS)
        result.Material.Power = power;
    aiString texture;
    if (material && material->GetTexture(aiTextureType_DIFFUSE, 0, &texture) == AI_SUCCESS)
        result.TextureFile = texture.C_Str();
    return result;
}

// A vertex of one of Assimp's meshes under a frame transform, back in the file's convention.
MeshVertex FileVertex(const aiMesh* source, unsigned i, const aiMatrix4x4& transform,
                      const aiMatrix3x3& normalTransform)
{
    aiVector3D p = transform * source->mVertices[i];
    MeshVertex v{};
    v.Position[0] = p.x;
    v.Position[1] = p.y;
    v.Position[2] = -p.z;
    if (source->HasNormals())
    {
        aiVector3D n = normalTransform * source->mNormals[i];
        if (n.SquareLength() > 0.0f)
            n.Normalize();
        v.Normal[0] = n.x;
        v.Normal[1] = n.y;
        v.Normal[2] = -n.z;
    }
    if (source->HasTextureCoords(0))
    {
        v.Tex[0] = source->mTextureCoords[0][i].x;
        v.Tex[1] = 1.0f - source->mTextureCoords[0][i].y;
    }
    return v;
}

// Appends one mesh's faces as triangles. Polygons become fans from their first corner, as .x
// polygons are convex; points and lines have no surface and are left out. Returns false when an
// index is out of range or the mesh is too big.
bool AppendMesh(const aiMesh* source, const aiMatrix4x4& transform, MeshGeometry* mesh)
{
    aiMatrix3x3 normalTransform(transform);
    normalTransform.Inverse().Transpose();
    for (unsigned f = 0; f < source->mNumFaces; ++f)
    {
        const aiFace& face = source->mFaces[f];
        unsigned n = face.mNumIndices;
        if (n < 3 || !face.mIndices)
            continue;
        // Assimp reversed every face; reading the corners backwards restores the file's order.
        auto corner = [&](unsigned k) { return face.mIndices[n - 1 - k]; };
        for (unsigned k = 0; k < n; ++k)
            if (corner(k) >= source->mNumVertices)
                return false;
        for (unsigned k = 1; k + 1 < n; ++k)
        {
            if (mesh->Vertices.size() / 3 >= MaxMeshTriangles)
                return false;
            for (unsigned i : {corner(0), corner(k), corner(k + 1)})
                mesh->Vertices.push_back(FileVertex(source, i, transform, normalTransform));
        }
    }
    return true;
}

// Smooth normals for a run of triangles that came without any: every corner gets the
// area-weighted sum of the face normals of all triangles meeting at its position. A face's
// normal points out of its clockwise side, the front in the left-handed scene.
void MakeSmoothNormals(MeshGeometry* mesh, size_t first)
{
    using Point = std::array<uint32_t, 3>;
    auto key = [&](size_t v)
    {
        Point bits;
        for (int k = 0; k < 3; ++k)
        {
            float value = mesh->Vertices[v].Position[k] + 0.0f;
            std::memcpy(&bits[size_t(k)], &value, sizeof value);
        }
        return bits;
    };
    std::map<Point, aiVector3D> sums;
    for (size_t t = first; t + 2 < mesh->Vertices.size(); t += 3)
    {
        const float* a = mesh->Vertices[t].Position;
        const float* b = mesh->Vertices[t + 1].Position;
        const float* c = mesh->Vertices[t + 2].Position;
        aiVector3D u(b[0] - a[0], b[1] - a[1], b[2] - a[2]);
        aiVector3D w(c[0] - a[0], c[1] - a[1], c[2] - a[2]);
        aiVector3D normal = u ^ w;
        for (size_t k = 0; k < 3; ++k)
            sums[key(t + k)] += normal;
    }
    for (size_t v = first; v < mesh->Vertices.size(); ++v)
    {
        aiVector3D n = sums[key(v)];
        float length = n.Length();
        // A point only degenerate triangles meet at has no direction: it faces up.
        if (!(length > 0.0f) || !std::isfinite(length))
            n = aiVector3D(0.0f, 1.0f, 0.0f);
        else
            n /= length;
        mesh->Vertices[v].Normal[0] = n.x;
        mesh->Vertices[v].Normal[1] = n.y;
        mesh->Vertices[v].Normal[2] = n.z;
    }
}
} // namespace

namespace
{
bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-';
}

// Reads the next number of an element list, skipping the separators between elements. Returns
// false at anything else (a brace, a name, the end of the text).
bool NextNumber(const char* text, size_t size, size_t* p, double* value)
{
    while (*p < size && (text[*p] == ' ' || text[*p] == '\t' || text[*p] == '\r' ||
                         text[*p] == '\n' || text[*p] == ';' || text[*p] == ','))
        ++*p;
    size_t start = *p;
    char buffer[64];
    size_t length = 0;
    while (*p < size && length + 1 < sizeof buffer &&
           ((text[*p] >= '0' && text[*p] <= '9') || text[*p] == '-' || text[*p] == '+' ||
            text[*p] == '.' || text[*p] == 'e' || text[*p] == 'E'))
        buffer[length++] = text[(*p)++];
    if (length == 0 || length + 1 >= sizeof buffer)
        return false;
    buffer[length] = '\0';
    char* end = nullptr;
    *value = std::strtod(buffer, &end);
    if (end != buffer + length)
    {
        *p = start;
        return false;
    }
    return true;
}

// After a Mesh's or MeshNormals' count: that many three-number vectors, then the face count and
// the faces, each an index count and that many indices. Assimp indexes its arrays with these
// without looking, so an index past the vectors (one damaged digit) would read outside them.
bool FaceIndicesInRange(const char* text, size_t size, size_t p, uint64_t count)
{
    double value = 0;
    if (!NextNumber(text, size, &p, &value)) // the count itself
        return false;
    for (uint64_t i = 0; i < count * 3; ++i)
        if (!NextNumber(text, size, &p, &value))
            return false;
    if (!NextNumber(text, size, &p, &value) || value < 0 || value > double(size))
        return false;
    uint64_t faces = uint64_t(value);
    for (uint64_t f = 0; f < faces; ++f)
    {
        if (!NextNumber(text, size, &p, &value) || value < 0 || value > double(size))
            return false;
        uint64_t indices = uint64_t(value);
        for (uint64_t i = 0; i < indices; ++i)
            if (!NextNumber(text, size, &p, &value) || value < 0 || value >= double(count) ||
                value != double(uint64_t(value)))
                return false;
    }
    return true;
}

// Assimp sizes its arrays from the first count of a Mesh, MeshNormals or SkinWeights object
// before it reads a single element, so a damaged digit there can ask for gigabytes. In a text
// file every element takes bytes, so a count beyond the file's size is damage: such files are
// refused before Assimp sees them, and so are Mesh and MeshNormals faces whose indices point past
// their vectors. This looks only at those objects' counts and faces; Assimp parses.
bool TextCountsPlausible(const char* text, size_t size)
{
    static const char* const objects[] = {"Mesh", "MeshNormals", "SkinWeights"};
    for (size_t at = 0; at < size; ++at)
    {
        if (at > 0 && IsNameChar(text[at - 1]))
            continue;
        for (const char* object : objects)
        {
            size_t length = std::strlen(object);
            if (size - at <= length || std::memcmp(text + at, object, length) != 0 ||
                IsNameChar(text[at + length]))
                continue;
            size_t p = at + length;
            auto skipSpace = [&]
            {
                while (p < size &&
                       (text[p] == ' ' || text[p] == '\t' || text[p] == '\r' || text[p] == '\n'))
                    ++p;
            };
            skipSpace();
            while (p < size && IsNameChar(text[p]))
                ++p;
            skipSpace();
            if (p >= size || text[p] != '{')
                continue;
            ++p;
            skipSpace();
            if (p < size && text[p] == '"')
            {
                ++p;
                while (p < size && text[p] != '"')
                    ++p;
                p += p < size ? 1 : 0;
                skipSpace();
                p += p < size && text[p] == ';' ? 1 : 0;
                skipSpace();
            }
            size_t countAt = p;
            uint64_t count = 0;
            while (p < size && text[p] >= '0' && text[p] <= '9' && count <= size)
                count = count * 10 + uint64_t(text[p++] - '0');
            if (count > size)
                return false;
            if (object != objects[2] && !FaceIndicesInRange(text, size, countAt, count))
                return false;
        }
    }
    return true;
}

HRESULT ImportScene(const void* data, size_t size, MeshGeometry* mesh)
{
    // Only .x files go to Assimp: other readers would otherwise get a try at arbitrary bytes.
    if (size < 16 || std::memcmp(data, "xof ", 4) != 0)
        return D3DXERR_INVALIDDATA;
    const char* text = static_cast<const char*>(data);
    if (std::memcmp(text + 8, "txt ", 4) == 0 && !TextCountsPlausible(text, size))
        return D3DXERR_INVALIDDATA;

    // No post-processing but the validation: Assimp's triangulation and normal generation
    // abort the process on some damaged faces, so both are done here instead.
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFileFromMemory(data, size, aiProcess_ValidateDataStructure, "x");
    if (!scene || !scene->mRootNode || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE))
        return D3DXERR_INVALIDDATA;

    // Frames depth-first, each mesh of a frame in order: the order the file lists them in.
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene->mRootNode, aiMatrix4x4()}};
    while (!pending.empty())
    {
        auto [node, parent] = pending.back();
        pending.pop_back();
        aiMatrix4x4 transform = parent * node->mTransformation;
        for (unsigned m = 0; m < node->mNumMeshes; ++m)
        {
            unsigned index = node->mMeshes[m];
            if (index >= scene->mNumMeshes)
                return D3DXERR_INVALIDDATA;
            const aiMesh* source = scene->mMeshes[index];
            DWORD first = DWORD(mesh->Vertices.size());
            if (!AppendMesh(source, transform, mesh))
                return D3DXERR_INVALIDMESH;
            DWORD triangles = (DWORD(mesh->Vertices.size()) - first) / 3;
            if (triangles == 0)
                continue;
            if (!source->HasNormals())
                MakeSmoothNormals(mesh, first);
            mesh->Subsets.push_back({DWORD(mesh->Subsets.size()), first, triangles});
            mesh->Materials.push_back(ReadMaterial(scene, source));
        }
        for (unsigned c = node->mNumChildren; c-- > 0;)
            pending.push_back({node->mChildren[c], transform});
    }
    if (mesh->Subsets.empty())
        return D3DXERR_INVALIDMESH;
    return D3D_OK;
}
} // namespace

HRESULT ImportXMesh(const void* data, size_t size, MeshGeometry* mesh)
{
    if (!data || !mesh)
        return D3DXERR_INVALIDDATA;
    *mesh = MeshGeometry();
    HRESULT hr = ImportScene(data, size, mesh);
    if (FAILED(hr)) // a failed import hands back nothing
        *mesh = MeshGeometry();
    return hr;
}

HRESULT ReadXMeshFile(const char* path, MeshGeometry* mesh)
{
    if (!path || !mesh)
        return D3DXERR_INVALIDDATA;
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return D3DXERR_INVALIDDATA;
    std::vector<BYTE> bytes;
    BYTE chunk[65536];
    size_t got;
    // Far beyond any mesh the limit on triangles lets through, in text form.
    const size_t limit = size_t(256) << 20;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && bytes.size() <= limit)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || bytes.size() > limit)
        return D3DXERR_INVALIDDATA;
    return ImportXMesh(bytes.data(), bytes.size(), mesh);
}

std::vector<DWORD> ComputeAdjacency(const MeshGeometry& mesh)
{
    // Positions are compared by their bit patterns (with -0 folded into +0): a file may hold NaNs,
    // which ordinary float ordering cannot sort.
    using Point = std::array<uint32_t, 3>;
    using Edge = std::pair<Point, Point>;
    auto point = [&](size_t v)
    {
        Point bits;
        for (int k = 0; k < 3; ++k)
        {
            float value = mesh.Vertices[v].Position[k] + 0.0f;
            std::memcpy(&bits[size_t(k)], &value, sizeof value);
        }
        return bits;
    };
    auto edge = [&](size_t a, size_t b)
    {
        Point pa = point(a), pb = point(b);
        return pa < pb ? Edge{pa, pb} : Edge{pb, pa};
    };
    size_t faces = mesh.Vertices.size() / 3;
    std::map<Edge, std::vector<DWORD>> owners;
    for (size_t f = 0; f < faces; ++f)
        for (size_t e = 0; e < 3; ++e)
            owners[edge(3 * f + e, 3 * f + (e + 1) % 3)].push_back(DWORD(f));

    std::vector<DWORD> adjacency(faces * 3, 0xFFFFFFFFu);
    for (size_t f = 0; f < faces; ++f)
        for (size_t e = 0; e < 3; ++e)
            for (DWORD other : owners[edge(3 * f + e, 3 * f + (e + 1) % 3)])
                if (other != DWORD(f))
                {
                    adjacency[3 * f + e] = other;
                    break;
                }
    return adjacency;
}

} // namespace d3dx
