// The device call trace for tests: while recording, every state change, draw, clear, scene
// bracket, present and reset a device receives is kept in order with its arguments and result.
#include "d3d8_internal.h"

namespace d3d8
{
void TraceCall(IDirect3DDevice8::Impl* device, const char* call, DWORD a0, DWORD a1, DWORD a2,
               DWORD a3, const void* object, HRESULT result)
{
    if (!device->Tracing)
        return;
    D3D8TraceEntry entry;
    entry.Call = call;
    entry.Arg[0] = a0;
    entry.Arg[1] = a1;
    entry.Arg[2] = a2;
    entry.Arg[3] = a3;
    entry.Object = object;
    entry.Result = result;
    device->Trace.push_back(entry);
}
} // namespace d3d8

void D3D8TraceStart(IDirect3DDevice8* device)
{
    if (!device)
        return;
    device->impl->Trace.clear();
    device->impl->Tracing = true;
}

void D3D8TraceStop(IDirect3DDevice8* device)
{
    if (device)
        device->impl->Tracing = false;
}

UINT D3D8TraceCount(IDirect3DDevice8* device)
{
    return device ? static_cast<UINT>(device->impl->Trace.size()) : 0;
}

const D3D8TraceEntry* D3D8TraceGet(IDirect3DDevice8* device, UINT index)
{
    if (!device || index >= device->impl->Trace.size())
        return nullptr;
    return &device->impl->Trace[index];
}

void D3D8TraceNote(IDirect3DDevice8* device, const char* call, DWORD a0, DWORD a1, DWORD a2,
                   const void* object, HRESULT result)
{
    if (device)
        d3d8::TraceCall(device->impl, call, a0, a1, a2, 0, object, result);
}
