// ID3DXMesh and ID3DXBuffer. A mesh draws through the device's public interface only:
// SetStreamSource, SetVertexShader and DrawPrimitive, with whatever world transform, texture
// and states the caller has set.
#include "mesh_object.h"

#include "decoders.h"

#include <new>

struct ID3DXMesh::Impl
{
    ULONG references;
    IDirect3DDevice8* device;
    IDirect3DVertexBuffer8* vertexBuffer;
    DWORD vertexCount;
    std::vector<d3dx::MeshSubset> subsets;
};

struct ID3DXBuffer::Impl
{
    ULONG references;
    std::vector<BYTE> bytes;
};

namespace d3dx
{

ID3DXMesh* CreateMeshObject(IDirect3DDevice8* device, IDirect3DVertexBuffer8* vertexBuffer,
                            DWORD vertexCount, const std::vector<MeshSubset>& subsets)
{
    auto* mesh = new (std::nothrow) ID3DXMesh;
    auto* impl = new (std::nothrow) ID3DXMesh::Impl{1, device, vertexBuffer, vertexCount, subsets};
    if (!mesh || !impl)
    {
        delete mesh;
        delete impl;
        return nullptr;
    }
    mesh->impl = impl;
    device->AddRef();
    return mesh;
}

ID3DXBuffer* CreateBufferObject(DWORD size)
{
    auto* buffer = new (std::nothrow) ID3DXBuffer;
    auto* impl = new (std::nothrow) ID3DXBuffer::Impl{1, std::vector<BYTE>()};
    if (!buffer || !impl)
    {
        delete buffer;
        delete impl;
        return nullptr;
    }
    impl->bytes.assign(size, 0);
    buffer->impl = impl;
    return buffer;
}

} // namespace d3dx

// ---- ID3DXMesh ----

ULONG ID3DXMesh::AddRef()
{
    return ++impl->references;
}

ULONG ID3DXMesh::Release()
{
    ULONG left = --impl->references;
    if (left == 0)
    {
        impl->vertexBuffer->Release();
        impl->device->Release();
        delete impl;
        delete this;
    }
    return left;
}

HRESULT ID3DXMesh::DrawSubset(DWORD attribId)
{
    IDirect3DDevice8* device = impl->device;
    const d3dx::MeshSubset* subset = nullptr;
    for (const d3dx::MeshSubset& s : impl->subsets)
        if (s.AttribId == attribId)
            subset = &s;
    if (!subset) // an attribute no face carries: nothing to draw, as on the platform
    {
        d3dx::NoteMeshDraw(device, attribId, 0, 0, this, D3D_OK);
        return D3D_OK;
    }

    // The draw binds stream 0 and the vertex shader; what the caller had bound is put back so
    // a following draw that relies on them is not disturbed. GetStreamSource hands out a
    // reference, released once the binding is restored.
    IDirect3DVertexBuffer8* previousStream = nullptr;
    UINT previousStride = 0;
    DWORD previousShader = 0;
    bool haveStream = SUCCEEDED(device->GetStreamSource(0, &previousStream, &previousStride));
    bool haveShader = SUCCEEDED(device->GetVertexShader(&previousShader));

    HRESULT hr = device->SetStreamSource(0, impl->vertexBuffer, sizeof(d3dx::MeshVertex));
    if (SUCCEEDED(hr))
        hr = device->SetVertexShader(d3dx::MeshFVF);
    if (SUCCEEDED(hr))
        hr = device->DrawPrimitive(D3DPT_TRIANGLELIST, subset->FirstVertex, subset->TriangleCount);

    if (haveShader && previousShader != d3dx::MeshFVF)
        device->SetVertexShader(previousShader);
    if (haveStream &&
        (previousStream != impl->vertexBuffer || previousStride != sizeof(d3dx::MeshVertex)))
        device->SetStreamSource(0, previousStream, previousStride);
    if (previousStream)
        previousStream->Release();

    d3dx::NoteMeshDraw(device, attribId, subset->FirstVertex, subset->TriangleCount, this, hr);
    return hr;
}

DWORD ID3DXMesh::GetNumFaces()
{
    DWORD faces = 0;
    for (const d3dx::MeshSubset& s : impl->subsets)
        faces += s.TriangleCount;
    return faces;
}

DWORD ID3DXMesh::GetNumVertices()
{
    return impl->vertexCount;
}

DWORD ID3DXMesh::GetFVF()
{
    return d3dx::MeshFVF;
}

HRESULT ID3DXMesh::GetDevice(IDirect3DDevice8** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    impl->device->AddRef();
    *device = impl->device;
    return D3D_OK;
}

// ---- ID3DXBuffer ----

ULONG ID3DXBuffer::AddRef()
{
    return ++impl->references;
}

ULONG ID3DXBuffer::Release()
{
    ULONG left = --impl->references;
    if (left == 0)
    {
        delete impl;
        delete this;
    }
    return left;
}

LPVOID ID3DXBuffer::GetBufferPointer()
{
    return impl->bytes.data();
}

DWORD ID3DXBuffer::GetBufferSize()
{
    return DWORD(impl->bytes.size());
}
