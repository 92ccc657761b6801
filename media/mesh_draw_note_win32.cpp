// The mesh draw's log entry on Windows: the real device keeps no call log, so there is nothing
// to add to.
#include "decoders.h"

namespace d3dx
{

void NoteMeshDraw(IDirect3DDevice8*, DWORD, DWORD, DWORD, const void*, HRESULT) {}

} // namespace d3dx
