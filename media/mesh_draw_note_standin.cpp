// The mesh draw's log entry under the stand-in, on the desktop and in the browser: an entry in the
// stand-in device's trace, beside the device's own calls, while the trace records.
#include "decoders.h"

#include <standin.h>

namespace d3dx
{

void NoteMeshDraw(IDirect3DDevice8* device, DWORD attribId, DWORD firstVertex, DWORD triangles,
                  const void* mesh, HRESULT result)
{
    D3D8TraceNote(device, "DrawSubset", attribId, firstVertex, triangles, mesh, result);
}

} // namespace d3dx
