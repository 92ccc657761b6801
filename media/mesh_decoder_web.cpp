// The browser's .x decoder: the shared text reader (x_text.h), which feeds the same data-block
// path (x_data.h) as the Windows decoder. The game's meshes are text .x files.
#include "decoders.h"
#include "x_text.h"

namespace d3dx
{

HRESULT DecodeXMeshes(const void* data, size_t size, MeshGeometry* mesh)
{
    return ReadXText(data, size, mesh);
}

} // namespace d3dx
