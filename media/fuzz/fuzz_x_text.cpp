// Fuzz target: the text .x reader the browser decodes meshes with (tokenizer, objects and
// references, frames, and the shared data-block path behind it), then the adjacency of the
// result. Starts from the game's meshes (the asset tool's mesh seeds).
#include "media/mesh_import.h"
#include "media/x_text.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    d3dx::MeshGeometry mesh;
    if (d3dx::ReadXText(data, size, &mesh) == D3D_OK)
        d3dx::ComputeAdjacency(mesh);
    return 0;
}
