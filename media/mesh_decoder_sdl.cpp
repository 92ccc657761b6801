// The Linux .x decoder: Assimp's .x reader, then the triangle list.
//
// Assimp's .x importer hands every scene over in its own right-handed convention: it negates z
// (positions, normals and frame transforms), reverses each face's winding and stores v as 1 - v.
// A .x file is already in the scene's left-handed convention, which the game relies on, so all
// three are undone here and the vertices come out as the file stores them.
//
// Assimp also resolves a material list's reference to a named material ({ Metal }) to the wrong
// material: the scene's material at the reference's place in its list. Text files therefore
// reach it with such references replaced by copies of the materials they name.
#include "decoders.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <cstring>
#include <map>
#include <string>
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

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

// Steps over white space and comments.
size_t SkipSpace(const std::string& text, size_t p)
{
    while (p < text.size())
    {
        const char c = text[p];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            ++p;
        else if (c == '#' || (c == '/' && p + 1 < text.size() && text[p + 1] == '/'))
            while (p < text.size() && text[p] != '\n')
                ++p;
        else
            break;
    }
    return p;
}

// Where the object whose opening brace is at `open` ends (past its closing brace), strings and
// comments skipped; npos when it does not.
size_t ObjectEnd(const std::string& text, size_t open)
{
    int depth = 0;
    for (size_t p = open; p < text.size(); ++p)
    {
        const char c = text[p];
        if (c == '"')
        {
            p = text.find('"', p + 1);
            if (p == std::string::npos)
                return p;
        }
        else if (c == '#' || (c == '/' && p + 1 < text.size() && text[p + 1] == '/'))
            p = SkipSpace(text, p) - 1;
        else if (c == '{')
            ++depth;
        else if (c == '}' && --depth == 0)
            return p + 1;
    }
    return std::string::npos;
}

// The text with every reference { name } to a named Material object replaced by a copy of that
// object, so that Assimp reads the material in place. The copies may add at most the file's own
// size again; references beyond that are left as they are.
std::string InlineMaterialReferences(const std::string& text)
{
    const std::string keyword = "Material";
    std::map<std::string, std::string> materials;
    for (size_t at = text.find(keyword); at != std::string::npos; at = text.find(keyword, at + 1))
    {
        if ((at > 0 && IsNameChar(text[at - 1])) || at + keyword.size() >= text.size() ||
            IsNameChar(text[at + keyword.size()]))
            continue;
        size_t p = SkipSpace(text, at + keyword.size());
        const size_t name = p;
        while (p < text.size() && IsNameChar(text[p]))
            ++p;
        const size_t nameEnd = p;
        p = SkipSpace(text, p);
        if (nameEnd == name || p >= text.size() || text[p] != '{')
            continue;
        const size_t end = ObjectEnd(text, p);
        if (end == std::string::npos)
            break;
        materials.emplace(text.substr(name, nameEnd - name), text.substr(at, end - at));
    }
    if (materials.empty())
        return text;

    std::string result;
    result.reserve(text.size());
    size_t budget = text.size();
    size_t copied = 0;
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open + 1))
    {
        size_t p = SkipSpace(text, open + 1);
        const size_t name = p;
        while (p < text.size() && IsNameChar(text[p]))
            ++p;
        const size_t nameEnd = p;
        p = SkipSpace(text, p);
        if (nameEnd == name || p >= text.size() || text[p] != '}')
            continue;
        auto found = materials.find(text.substr(name, nameEnd - name));
        if (found == materials.end() || found->second.size() > budget)
            continue;
        budget -= found->second.size();
        result.append(text, copied, open - copied);
        result += found->second;
        copied = p + 1;
    }
    result.append(text, copied, std::string::npos);
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
} // namespace

HRESULT DecodeXMeshes(const void* data, size_t size, MeshGeometry* mesh)
{
    // No post-processing but the validation: Assimp's triangulation and normal generation
    // abort the process on some damaged faces, so both are done here instead.
    std::string text;
    if (size >= 16 && std::memcmp(static_cast<const char*>(data) + 8, "txt ", 4) == 0)
    {
        text = InlineMaterialReferences(std::string(static_cast<const char*>(data), size));
        data = text.data();
        size = text.size();
    }
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
    return D3D_OK;
}

} // namespace d3dx
