// DirectX File data blocks of a Mesh object to the triangle list, every count and index checked.
#include "x_data.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace d3dx
{

namespace
{
// Reads DWORDs and FLOATs from a block, refusing to step past its end.
struct BlockReader
{
    const BYTE* bytes;
    size_t size;
    size_t at = 0;

    explicit BlockReader(XBlock block)
        : bytes(static_cast<const BYTE*>(block.Data)), size(block.Data ? block.Size : 0)
    {
    }
    // True when `count` more items of `itemBytes` each fit in what is left.
    bool Fits(uint64_t count, size_t itemBytes) const { return count <= (size - at) / itemBytes; }
    bool Dword(DWORD* value)
    {
        if (!Fits(1, 4))
            return false;
        std::memcpy(value, bytes + at, 4);
        at += 4;
        return true;
    }
    bool Floats(float* values, size_t count)
    {
        if (!Fits(count, 4))
            return false;
        if (count == 0) // an empty array may come without storage
            return true;
        std::memcpy(values, bytes + at, 4 * count);
        at += 4 * count;
        return true;
    }
};

struct Vector3
{
    float v[3];
};

// An array of MeshFace: corner counts and indices, each index below `limit`.
struct FaceList
{
    std::vector<DWORD> first;   // where face f's corners start in `indices`
    std::vector<DWORD> corners; // how many corners face f has
    std::vector<DWORD> indices;
};

bool ReadVectors(BlockReader* reader, std::vector<Vector3>* vectors)
{
    DWORD count = 0;
    if (!reader->Dword(&count) || !reader->Fits(count, sizeof(Vector3)))
        return false;
    vectors->resize(count);
    for (Vector3& vector : *vectors)
        reader->Floats(vector.v, 3);
    return true;
}

bool ReadFaces(BlockReader* reader, DWORD limit, FaceList* faces)
{
    DWORD count = 0;
    // Every face takes at least its corner count.
    if (!reader->Dword(&count) || !reader->Fits(count, 4))
        return false;
    faces->first.resize(count);
    faces->corners.resize(count);
    for (DWORD f = 0; f < count; ++f)
    {
        DWORD corners = 0;
        if (!reader->Dword(&corners) || !reader->Fits(corners, 4))
            return false;
        faces->first[f] = DWORD(faces->indices.size());
        faces->corners[f] = corners;
        for (DWORD k = 0; k < corners; ++k)
        {
            DWORD index = 0;
            reader->Dword(&index);
            if (index >= limit)
                return false;
            faces->indices.push_back(index);
        }
    }
    return true;
}

float Length(const float n[3])
{
    return std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
}

// The inverse transpose of the transform's upper 3 x 3, for normals (the matrix itself when it
// has no inverse).
void NormalMatrix(const float m[16], float out[9])
{
    float a[9] = {m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]};
    float c[9] = {a[4] * a[8] - a[5] * a[7], a[5] * a[6] - a[3] * a[8], a[3] * a[7] - a[4] * a[6],
                  a[2] * a[7] - a[1] * a[8], a[0] * a[8] - a[2] * a[6], a[1] * a[6] - a[0] * a[7],
                  a[1] * a[5] - a[2] * a[4], a[2] * a[3] - a[0] * a[5], a[0] * a[4] - a[1] * a[3]};
    float determinant = a[0] * c[0] + a[1] * c[1] + a[2] * c[2];
    if (determinant == 0.0f || !std::isfinite(determinant))
    {
        std::memcpy(out, a, sizeof a);
        return;
    }
    // The cofactor matrix over the determinant is the inverse's transpose.
    for (int i = 0; i < 9; ++i)
        out[i] = c[i] / determinant;
}

MeshVertex MakeVertex(const Vector3& position, const Vector3* normal, const float* uv,
                      const float m[16], const float n[9])
{
    MeshVertex vertex{};
    const float* p = position.v;
    for (int c = 0; c < 3; ++c)
        vertex.Position[c] = p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + m[12 + c];
    if (normal)
    {
        const float* q = normal->v;
        for (int c = 0; c < 3; ++c)
            vertex.Normal[c] = q[0] * n[c] + q[1] * n[3 + c] + q[2] * n[6 + c];
        float length = Length(vertex.Normal);
        if (length > 0.0f)
        {
            float inverse = 1.0f / length;
            for (float& value : vertex.Normal)
                value *= inverse;
        }
    }
    if (uv)
    {
        vertex.Tex[0] = uv[0];
        vertex.Tex[1] = uv[1];
    }
    return vertex;
}
} // namespace

bool ReadXMaterial(XBlock block, MeshMaterial* material)
{
    BlockReader reader(block);
    float values[11];
    if (!reader.Floats(values, 11))
        return false;
    *material = MeshMaterial{};
    material->Material.Diffuse = {values[0], values[1], values[2], values[3]};
    material->Material.Ambient = material->Material.Diffuse;
    material->Material.Power = values[4];
    material->Material.Specular = {values[5], values[6], values[7], 1.0f};
    material->Material.Emissive = {values[8], values[9], values[10], 1.0f};
    return true;
}

HRESULT AppendXMesh(const XMeshData& data, const float transform[16], MeshGeometry* mesh)
{
    BlockReader reader(data.Mesh);
    std::vector<Vector3> positions;
    FaceList faces;
    if (!data.Mesh.Data || !ReadVectors(&reader, &positions) ||
        !ReadFaces(&reader, DWORD(positions.size()), &faces))
        return D3DXERR_INVALIDDATA;
    DWORD faceCount = DWORD(faces.corners.size());

    std::vector<Vector3> normals;
    FaceList normalFaces;
    if (data.Normals.Data)
    {
        BlockReader normalReader(data.Normals);
        if (!ReadVectors(&normalReader, &normals) ||
            !ReadFaces(&normalReader, DWORD(normals.size()), &normalFaces) ||
            normalFaces.corners != faces.corners)
            return D3DXERR_INVALIDDATA;
    }

    std::vector<float> uvs;
    if (data.TexCoords.Data)
    {
        BlockReader uvReader(data.TexCoords);
        DWORD count = 0;
        if (!uvReader.Dword(&count) || count != positions.size() || !uvReader.Fits(count, 8))
            return D3DXERR_INVALIDDATA;
        uvs.resize(size_t(count) * 2);
        uvReader.Floats(uvs.data(), uvs.size());
    }

    // Which material each face wears: one index for all faces, or one per face.
    DWORD materialCount = 1;
    std::vector<DWORD> faceMaterial(faceCount, 0);
    if (data.MaterialList.Data)
    {
        BlockReader listReader(data.MaterialList);
        DWORD indexCount = 0;
        if (!listReader.Dword(&materialCount) || !listReader.Dword(&indexCount) ||
            !listReader.Fits(indexCount, 4) || (indexCount != faceCount && indexCount != 1))
            return D3DXERR_INVALIDDATA;
        for (DWORD i = 0; i < indexCount; ++i)
        {
            DWORD index = 0;
            listReader.Dword(&index);
            if (index >= materialCount)
                return D3DXERR_INVALIDDATA;
            if (indexCount == 1)
                faceMaterial.assign(faceCount, index);
            else
                faceMaterial[i] = index;
        }
    }

    // Subsets go by material in list order, each with its faces in file order, for the materials
    // faces wear only: the list's count is a plain number in the file, no measure of the work.
    std::vector<DWORD> order(faceCount);
    for (DWORD f = 0; f < faceCount; ++f)
        order[f] = f;
    std::stable_sort(order.begin(), order.end(),
                     [&](DWORD a, DWORD b) { return faceMaterial[a] < faceMaterial[b]; });

    float normalMatrix[9];
    NormalMatrix(transform, normalMatrix);
    for (size_t next = 0; next < order.size();)
    {
        DWORD material = faceMaterial[order[next]];
        DWORD first = DWORD(mesh->Vertices.size());
        for (; next < order.size() && faceMaterial[order[next]] == material; ++next)
        {
            DWORD f = order[next];
            DWORD n = faces.corners[f];
            if (n < 3)
                continue;
            const DWORD* corner = &faces.indices[faces.first[f]];
            const DWORD* normalCorner =
                normals.empty() ? nullptr : &normalFaces.indices[normalFaces.first[f]];
            for (DWORD k = 1; k + 1 < n; ++k)
            {
                if (mesh->Vertices.size() / 3 >= MaxMeshTriangles)
                    return D3DXERR_INVALIDMESH;
                for (DWORD c : {DWORD(0), k, k + 1})
                {
                    const Vector3* normal = normalCorner ? &normals[normalCorner[c]] : nullptr;
                    const float* uv = uvs.empty() ? nullptr : &uvs[size_t(corner[c]) * 2];
                    mesh->Vertices.push_back(
                        MakeVertex(positions[corner[c]], normal, uv, transform, normalMatrix));
                }
            }
        }
        DWORD triangles = (DWORD(mesh->Vertices.size()) - first) / 3;
        if (triangles == 0)
            continue;
        if (normals.empty())
            MakeSmoothNormals(mesh, first);
        mesh->Subsets.push_back({DWORD(mesh->Subsets.size()), first, triangles});
        MeshMaterial wear{};
        wear.Material.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
        wear.Material.Ambient = wear.Material.Diffuse;
        wear.Material.Specular = {0.0f, 0.0f, 0.0f, 1.0f};
        wear.Material.Emissive = {0.0f, 0.0f, 0.0f, 1.0f};
        if (data.MaterialList.Data && material < data.Materials.size())
            wear = data.Materials[material];
        mesh->Materials.push_back(wear);
    }
    return D3D_OK;
}

} // namespace d3dx
