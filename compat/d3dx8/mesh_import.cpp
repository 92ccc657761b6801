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
#include <cstdio>
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

// Appends one mesh's triangles under a frame transform, back in the file's convention.
bool AppendMesh(const aiMesh* source, const aiMatrix4x4& transform, MeshGeometry* mesh)
{
    aiMatrix3x3 normalTransform(transform);
    normalTransform.Inverse().Transpose();
    const aiVector3D* uv = source->HasTextureCoords(0) ? source->mTextureCoords[0] : nullptr;
    for (unsigned f = 0; f < source->mNumFaces; ++f)
    {
        const aiFace& face = source->mFaces[f];
        if (face.mNumIndices != 3) // points and lines have no surface to draw
            continue;
        if (mesh->Vertices.size() / 3 >= MaxMeshTriangles)
            return false;
        // Assimp reversed every face; reading the corners backwards restores the file's order.
        static const unsigned order[3] = {2, 1, 0};
        for (unsigned corner : order)
        {
            unsigned i = face.mIndices[corner];
            if (i >= source->mNumVertices)
                return false;
            aiVector3D p = transform * source->mVertices[i];
            aiVector3D n = source->HasNormals() ? normalTransform * source->mNormals[i]
                                                : aiVector3D(0.0f, 1.0f, 0.0f);
            if (n.SquareLength() > 0.0f)
                n.Normalize();
            MeshVertex v{};
            v.Position[0] = p.x;
            v.Position[1] = p.y;
            v.Position[2] = -p.z;
            v.Normal[0] = n.x;
            v.Normal[1] = n.y;
            v.Normal[2] = -n.z;
            if (uv)
            {
                v.Tex[0] = uv[i].x;
                v.Tex[1] = 1.0f - uv[i].y;
            }
            mesh->Vertices.push_back(v);
        }
    }
    return true;
}
} // namespace

HRESULT ImportXMesh(const void* data, size_t size, MeshGeometry* mesh)
{
    if (!data || !mesh)
        return D3DXERR_INVALIDDATA;
    *mesh = MeshGeometry();
    // Only .x files go to Assimp: other readers would otherwise get a try at arbitrary bytes.
    if (size < 16 || std::memcmp(data, "xof ", 4) != 0)
        return D3DXERR_INVALIDDATA;

    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFileFromMemory(
        data, size,
        aiProcess_Triangulate | aiProcess_GenSmoothNormals | aiProcess_ValidateDataStructure, "x");
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
            {
                *mesh = MeshGeometry();
                return D3DXERR_INVALIDMESH;
            }
            DWORD triangles = (DWORD(mesh->Vertices.size()) - first) / 3;
            if (triangles == 0)
                continue;
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
    using Point = std::array<float, 3>;
    using Edge = std::pair<Point, Point>;
    auto point = [&](size_t v)
    {
        const float* p = mesh.Vertices[v].Position;
        return Point{p[0], p[1], p[2]};
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
