// The Windows .x decoder: the platform's own parser, DirectX File (d3dxof.dll). It is given the
// standard templates (registered from text below), walks the file's top-level objects and
// frames, and hands each Mesh's data blocks to the shared AppendXMesh, which checks every count
// and index before reading.
#include "decoders.h"
#include "x_data.h"

#include <dxfile.h>

#include <cstring>
#include <string>

#include "common/math/matrix4.h"

namespace d3dx
{

namespace
{
// The standard templates, with their standard identifiers, as a .x text file: those of the
// objects the loader reads, and those of the objects exporters write beside them (a header,
// vertex colours, skinning, animations), which it skips. DirectX File needs a type registered,
// or declared in the file itself, to parse a data object of it; exporters often leave out the
// declarations of the standard ones.
const char XTemplates[] = R"(xof 0302txt 0032
template Header { <3D82AB43-62DA-11cf-AB39-0020AF71E433> WORD major; WORD minor; DWORD flags; }
template Vector { <3D82AB5E-62DA-11cf-AB39-0020AF71E433> FLOAT x; FLOAT y; FLOAT z; }
template Coords2d { <F6F23F44-7686-11cf-8F52-0040333594A3> FLOAT u; FLOAT v; }
template Matrix4x4 { <F6F23F45-7686-11cf-8F52-0040333594A3> array FLOAT matrix[16]; }
template ColorRGBA { <35FF44E0-6C7C-11cf-8F52-0040333594A3>
 FLOAT red; FLOAT green; FLOAT blue; FLOAT alpha; }
template ColorRGB { <D3E16E81-7835-11cf-8F52-0040333594A3> FLOAT red; FLOAT green; FLOAT blue; }
template TextureFilename { <A42790E1-7810-11cf-8F52-0040333594A3> STRING filename; }
template Material { <3D82AB4D-62DA-11cf-AB39-0020AF71E433>
 ColorRGBA faceColor; FLOAT power; ColorRGB specularColor; ColorRGB emissiveColor; [...] }
template MeshFace { <3D82AB5F-62DA-11cf-AB39-0020AF71E433>
 DWORD nFaceVertexIndices; array DWORD faceVertexIndices[nFaceVertexIndices]; }
template MeshTextureCoords { <F6F23F40-7686-11cf-8F52-0040333594A3>
 DWORD nTextureCoords; array Coords2d textureCoords[nTextureCoords]; }
template MeshMaterialList { <F6F23F42-7686-11cf-8F52-0040333594A3>
 DWORD nMaterials; DWORD nFaceIndexes; array DWORD faceIndexes[nFaceIndexes]; [Material] }
template MeshNormals { <F6F23F43-7686-11cf-8F52-0040333594A3>
 DWORD nNormals; array Vector normals[nNormals];
 DWORD nFaceNormals; array MeshFace faceNormals[nFaceNormals]; }
template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433>
 DWORD nVertices; array Vector vertices[nVertices];
 DWORD nFaces; array MeshFace faces[nFaces]; [...] }
template FrameTransformMatrix { <F6F23F41-7686-11cf-8F52-0040333594A3> Matrix4x4 frameMatrix; }
template Frame { <3D82AB46-62DA-11cf-AB39-0020AF71E433> [...] }
template IndexedColor { <1630B820-7842-11cf-8F52-0040333594A3> DWORD index; ColorRGBA indexColor; }
template MeshVertexColors { <1630B821-7842-11cf-8F52-0040333594A3>
 DWORD nVertexColors; array IndexedColor vertexColors[nVertexColors]; }
template VertexDuplicationIndices { <B8D65549-D7C9-4995-89CF-53A9A8B031E3>
 DWORD nIndices; DWORD nOriginalVertices; array DWORD indices[nIndices]; }
template XSkinMeshHeader { <3CF169CE-FF7C-44ab-93C0-F78F62D172E2>
 WORD nMaxSkinWeightsPerVertex; WORD nMaxSkinWeightsPerFace; WORD nBones; }
template SkinWeights { <6F0D123B-BAD2-4167-A0D0-80224F25FABB>
 STRING transformNodeName; DWORD nWeights; array DWORD vertexIndices[nWeights];
 array FLOAT weights[nWeights]; Matrix4x4 matrixOffset; }
template FloatKeys { <10DD46A9-775B-11cf-8F52-0040333594A3> DWORD nValues; array FLOAT values[nValues]; }
template TimedFloatKeys { <F406B180-7B3B-11cf-8F52-0040333594A3> DWORD time; FloatKeys tfkeys; }
template AnimationKey { <10DD46A8-775B-11cf-8F52-0040333594A3>
 DWORD keyType; DWORD nKeys; array TimedFloatKeys keys[nKeys]; }
template AnimationOptions { <E2BF56C0-840F-11cf-8F52-0040333594A3>
 DWORD openclosed; DWORD positionquality; }
template Animation { <3D82AB4F-62DA-11cf-AB39-0020AF71E433> [...] }
template AnimationSet { <3D82AB50-62DA-11cf-AB39-0020AF71E433> [Animation] }
template AnimTicksPerSecond { <9E415A43-7BA6-4a73-8743-B73D47E88476> DWORD AnimTicksPerSecond; }
)";

const GUID TypeMaterial = {
    0x3D82AB4D, 0x62DA, 0x11cf, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
const GUID TypeMesh = {
    0x3D82AB44, 0x62DA, 0x11cf, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
const GUID TypeFrame = {
    0x3D82AB46, 0x62DA, 0x11cf, {0xAB, 0x39, 0x00, 0x20, 0xAF, 0x71, 0xE4, 0x33}};
const GUID TypeTextureFilename = {
    0xA42790E1, 0x7810, 0x11cf, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
const GUID TypeMeshTextureCoords = {
    0xF6F23F40, 0x7686, 0x11cf, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
const GUID TypeFrameTransformMatrix = {
    0xF6F23F41, 0x7686, 0x11cf, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
const GUID TypeMeshMaterialList = {
    0xF6F23F42, 0x7686, 0x11cf, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};
const GUID TypeMeshNormals = {
    0xF6F23F43, 0x7686, 0x11cf, {0x8F, 0x52, 0x00, 0x40, 0x33, 0x35, 0x94, 0xA3}};

// Frames nest; a file deeper than this is refused rather than followed.
const int MaxFrameDepth = 64;

bool IsType(IDirectXFileData* object, const GUID& type)
{
    const GUID* found = nullptr;
    return SUCCEEDED(object->GetType(&found)) && found && IsEqualGUID(*found, type);
}

XBlock DataOf(IDirectXFileData* object)
{
    DWORD size = 0;
    void* data = nullptr;
    if (FAILED(object->GetData(nullptr, &size, &data)) || !data)
        return XBlock{};
    return XBlock{data, size};
}

// The next child data object, a reference followed to its object. Returns null at the end; sets
// `failed` when the file is damaged there.
IDirectXFileData* NextChild(IDirectXFileData* parent, bool* failed)
{
    for (;;)
    {
        IDirectXFileObject* child = nullptr;
        HRESULT hr = parent->GetNextObject(&child);
        if (hr == DXFILEERR_NOMOREOBJECTS)
            return nullptr;
        if (FAILED(hr) || !child)
        {
            *failed = true;
            return nullptr;
        }
        IDirectXFileData* data = nullptr;
        if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileData, reinterpret_cast<void**>(&data))))
        {
            child->Release();
            return data;
        }
        IDirectXFileDataReference* reference = nullptr;
        if (SUCCEEDED(child->QueryInterface(IID_IDirectXFileDataReference,
                                            reinterpret_cast<void**>(&reference))))
        {
            hr = reference->Resolve(&data);
            reference->Release();
            child->Release();
            if (FAILED(hr) || !data)
            {
                *failed = true;
                return nullptr;
            }
            return data;
        }
        child->Release(); // binary objects carry nothing the loader reads
    }
}

// A Material child of a mesh's material list, with its texture file name when it has one.
bool ReadMaterialObject(IDirectXFileData* object, MeshMaterial* material)
{
    if (!ReadXMaterial(DataOf(object), material))
        return false;
    bool failed = false;
    while (IDirectXFileData* child = NextChild(object, &failed))
    {
        if (IsType(child, TypeTextureFilename))
        {
            // The template's one STRING member: the data holds a pointer to the text.
            XBlock block = DataOf(child);
            const char* name = nullptr;
            if (block.Data && block.Size >= sizeof name)
                std::memcpy(&name, block.Data, sizeof name);
            if (name)
                material->TextureFile = name;
        }
        child->Release();
    }
    return !failed;
}

HRESULT ReadMesh(IDirectXFileData* object, const float transform[16], MeshGeometry* mesh)
{
    XMeshData data;
    data.Mesh = DataOf(object);
    // The children are kept until the blocks they own have been read.
    IDirectXFileData* held[3] = {nullptr, nullptr, nullptr};
    bool failed = false;
    while (IDirectXFileData* child = NextChild(object, &failed))
    {
        if (IsType(child, TypeMeshNormals) && !held[0])
            data.Normals = DataOf(held[0] = child);
        else if (IsType(child, TypeMeshTextureCoords) && !held[1])
            data.TexCoords = DataOf(held[1] = child);
        else if (IsType(child, TypeMeshMaterialList) && !held[2])
        {
            data.MaterialList = DataOf(held[2] = child);
            bool listFailed = false;
            while (IDirectXFileData* entry = NextChild(child, &listFailed))
            {
                MeshMaterial material;
                if (IsType(entry, TypeMaterial))
                {
                    if (!ReadMaterialObject(entry, &material))
                        listFailed = true;
                    data.Materials.push_back(material);
                }
                entry->Release();
            }
            failed = failed || listFailed;
        }
        else
            child->Release();
    }
    HRESULT hr = failed ? D3DXERR_INVALIDDATA : AppendXMesh(data, transform, mesh);
    for (IDirectXFileData* child : held)
        if (child)
            child->Release();
    return hr;
}

HRESULT ReadObject(IDirectXFileData* object, const float parent[16], int depth, MeshGeometry* mesh);

// A frame: its transform (row vectors: the frame's own, then its parent's) applies to the meshes
// and frames inside it, in the order the file lists them.
HRESULT ReadFrame(IDirectXFileData* frame, const float parent[16], int depth, MeshGeometry* mesh)
{
    if (depth >= MaxFrameDepth)
        return D3DXERR_INVALIDDATA;
    float transform[16];
    std::memcpy(transform, parent, sizeof transform);
    HRESULT hr = D3D_OK;
    bool failed = false;
    while (IDirectXFileData* child = NextChild(frame, &failed))
    {
        if (IsType(child, TypeFrameTransformMatrix))
        {
            XBlock block = DataOf(child);
            float local[16];
            if (!block.Data || block.Size < sizeof local)
                hr = D3DXERR_INVALIDDATA;
            else
            {
                std::memcpy(local, block.Data, sizeof local);
                MultiplyMatrix4(local, parent, transform);
            }
        }
        else if (SUCCEEDED(hr))
            hr = ReadObject(child, transform, depth + 1, mesh);
        child->Release();
    }
    return failed ? D3DXERR_INVALIDDATA : hr;
}

HRESULT ReadObject(IDirectXFileData* object, const float parent[16], int depth, MeshGeometry* mesh)
{
    if (IsType(object, TypeMesh))
        return ReadMesh(object, parent, mesh);
    if (IsType(object, TypeFrame))
        return ReadFrame(object, parent, depth, mesh);
    return D3D_OK; // other objects hold nothing the loader reads
}
} // namespace

HRESULT DecodeXMeshes(const void* data, size_t size, MeshGeometry* mesh)
{
    if (size > 0xFFFFFFFFu)
        return D3DXERR_INVALIDDATA;
    IDirectXFile* file = nullptr;
    if (FAILED(DirectXFileCreate(&file)) || !file)
        return D3DXERR_INVALIDDATA;
    HRESULT hr = file->RegisterTemplates(const_cast<char*>(XTemplates), sizeof XTemplates - 1);
    IDirectXFileEnumObject* objects = nullptr;
    DXFILELOADMEMORY memory{const_cast<void*>(data), DWORD(size)};
    if (SUCCEEDED(hr))
        hr = file->CreateEnumObject(&memory, DXFILELOAD_FROMMEMORY, &objects);
    if (FAILED(hr) || !objects)
    {
        file->Release();
        return D3DXERR_INVALIDDATA;
    }
    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    HRESULT result = D3D_OK;
    for (;;)
    {
        IDirectXFileData* object = nullptr;
        hr = objects->GetNextDataObject(&object);
        if (hr == DXFILEERR_NOMOREOBJECTS)
            break;
        if (FAILED(hr) || !object)
        {
            result = D3DXERR_INVALIDDATA;
            break;
        }
        result = ReadObject(object, identity, 0, mesh);
        object->Release();
        if (FAILED(result))
            break;
    }
    objects->Release();
    file->Release();
    return result;
}

} // namespace d3dx
