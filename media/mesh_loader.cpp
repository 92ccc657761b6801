// D3DXLoadMeshFromX: reads the file (mesh_import.cpp), copies the triangle list into a vertex
// buffer made by the device, and wraps it in a mesh object. Adjacency and materials are built
// only when the caller asks for them.
#include "mesh_object.h"

#include <cstring>

#include "common/log/log.h"

namespace
{
// Vertex-buffer placement bits of the mesh options.
const DWORD MeshVertexBufferSystemMem = 0x010;
const DWORD MeshVertexBufferManaged = 0x020;

// The material buffer: D3DXMATERIAL entries, then their texture names, which the entries point
// at.
ID3DXBuffer* MakeMaterialBuffer(const std::vector<d3dx::MeshMaterial>& materials)
{
    size_t size = materials.size() * sizeof(D3DXMATERIAL);
    for (const d3dx::MeshMaterial& m : materials)
        if (!m.TextureFile.empty())
            size += m.TextureFile.size() + 1;
    ID3DXBuffer* buffer = d3dx::CreateBufferObject(DWORD(size));
    if (!buffer)
        return nullptr;
    auto* bytes = static_cast<BYTE*>(buffer->GetBufferPointer());
    auto* entries = reinterpret_cast<D3DXMATERIAL*>(bytes);
    char* names = reinterpret_cast<char*>(bytes + materials.size() * sizeof(D3DXMATERIAL));
    for (size_t i = 0; i < materials.size(); ++i)
    {
        entries[i].MatD3D = materials[i].Material;
        entries[i].pTextureFilename = nullptr;
        if (!materials[i].TextureFile.empty())
        {
            std::memcpy(names, materials[i].TextureFile.c_str(),
                        materials[i].TextureFile.size() + 1);
            entries[i].pTextureFilename = names;
            names += materials[i].TextureFile.size() + 1;
        }
    }
    return buffer;
}
} // namespace

HRESULT WINAPI D3DXLoadMeshFromX(LPCSTR filename, DWORD options, IDirect3DDevice8* device,
                                 ID3DXBuffer** adjacency, ID3DXBuffer** materials,
                                 DWORD* numMaterials, ID3DXMesh** mesh)
{
    if (mesh)
        *mesh = nullptr;
    if (adjacency)
        *adjacency = nullptr;
    if (materials)
        *materials = nullptr;
    if (numMaterials)
        *numMaterials = 0;
    if (!filename || !device || !mesh)
        return D3DERR_INVALIDCALL;

    d3dx::MeshGeometry geometry;
    HRESULT hr = d3dx::ReadXMeshFile(filename, &geometry);
    if (FAILED(hr))
    {
        Log("D3DX", "cannot load the mesh %s (%s)", filename,
            hr == D3DXERR_INVALIDMESH ? "no drawable triangles, or too many"
                                      : "missing, unreadable or not a .x file");
        return hr;
    }

    D3DPOOL pool = (options & MeshVertexBufferManaged)     ? D3DPOOL_MANAGED
                   : (options & MeshVertexBufferSystemMem) ? D3DPOOL_SYSTEMMEM
                                                           : D3DPOOL_DEFAULT;
    UINT size = UINT(geometry.Vertices.size() * sizeof(d3dx::MeshVertex));
    IDirect3DVertexBuffer8* buffer = nullptr;
    hr = device->CreateVertexBuffer(size, D3DUSAGE_WRITEONLY, d3dx::MeshFVF, pool, &buffer);
    if (FAILED(hr) || !buffer)
    {
        Log("D3DX", "%s: the device refused a vertex buffer of %u bytes", filename, size);
        return FAILED(hr) ? hr : E_FAIL;
    }
    BYTE* bits = nullptr;
    hr = buffer->Lock(0, size, &bits, 0);
    if (FAILED(hr) || !bits)
    {
        Log("D3DX", "%s: cannot fill the mesh's vertex buffer", filename);
        if (SUCCEEDED(hr))
            buffer->Unlock();
        buffer->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }
    std::memcpy(bits, geometry.Vertices.data(), size);
    buffer->Unlock();

    ID3DXMesh* made =
        d3dx::CreateMeshObject(device, buffer, DWORD(geometry.Vertices.size()), geometry.Subsets);
    if (!made)
    {
        buffer->Release();
        return E_OUTOFMEMORY;
    }

    ID3DXBuffer* adjacencyBuffer = nullptr;
    ID3DXBuffer* materialBuffer = nullptr;
    if (adjacency)
    {
        std::vector<DWORD> faces = d3dx::ComputeAdjacency(geometry);
        adjacencyBuffer = d3dx::CreateBufferObject(DWORD(faces.size() * sizeof(DWORD)));
        if (adjacencyBuffer)
            std::memcpy(adjacencyBuffer->GetBufferPointer(), faces.data(),
                        faces.size() * sizeof(DWORD));
    }
    if (materials)
        materialBuffer = MakeMaterialBuffer(geometry.Materials);
    if ((adjacency && !adjacencyBuffer) || (materials && !materialBuffer))
    {
        if (adjacencyBuffer)
            adjacencyBuffer->Release();
        if (materialBuffer)
            materialBuffer->Release();
        made->Release();
        return E_OUTOFMEMORY;
    }
    if (adjacency)
        *adjacency = adjacencyBuffer;
    if (materials)
        *materials = materialBuffer;
    if (numMaterials)
        *numMaterials = DWORD(geometry.Materials.size());
    *mesh = made;
    return D3D_OK;
}
