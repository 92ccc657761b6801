// Draw costs, for benchmarks: while a device measures, each draw waits for the GL to finish what
// came before it, is timed to its last pixel, and is drawn a second time, untested and
// unwritten, to count the pixels it covers. Sample queries count both.
#include "d3d8_internal.h"

#include <cstdio>
#include <ctime>
#include <cstring>

namespace d3d8
{
namespace
{
using Clock = std::chrono::steady_clock;

GLuint Samples(GLuint query)
{
    GLuint samples = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
    return samples;
}

const char* FilterName(GLint min, GLint mag)
{
    switch (min)
    {
    case GL_NEAREST:
        return mag == GL_LINEAR ? "nearest, bilinear up close" : "nearest";
    case GL_LINEAR:
        return "bilinear";
    case GL_NEAREST_MIPMAP_NEAREST:
        return "nearest, nearest mip";
    case GL_LINEAR_MIPMAP_NEAREST:
        return "bilinear, nearest mip";
    case GL_NEAREST_MIPMAP_LINEAR:
        return "nearest, blended mips";
    default:
        return "trilinear";
    }
}

// What each of the draw's pixels does, in words.
void DescribeWork(const IDirect3DDevice8::Impl* device, char* text, size_t size)
{
    const ProgramKey& key = device->AppliedKey;
    const DWORD* ts = device->StageStates[0];
    const DWORD* rs = device->RenderStates;
    const IDirect3DBaseTexture8* texture = device->Textures[0];
    char sampling[64] = "untextured";
    if (key.HasTexture)
    {
        const bool mips = texture && texture->impl->Levels.size() > 1;
        std::snprintf(sampling, sizeof sampling, "texture %s",
                      FilterName(MinFilterToGl(ts[D3DTSS_MINFILTER],
                                               mips ? ts[D3DTSS_MIPFILTER] : DWORD(D3DTEXF_NONE)),
                                 MagFilterToGl(ts[D3DTSS_MAGFILTER])));
    }
    std::snprintf(text, size, "%s%s, %s%s%s%s", key.Pretransformed ? "screen" : "scene",
                  key.Lighting ? " lit" : "", sampling, key.AlphaTest ? ", alpha test" : "",
                  rs[D3DRS_ALPHABLENDENABLE] ? ", blended" : "",
                  key.WBuffer                                ? ", W-buffer"
                  : rs[D3DRS_ZENABLE] && device->DepthBuffer ? ", Z-buffer"
                                                             : "");
}
} // namespace

void DrawArrays(IDirect3DDevice8::Impl* device, const VertexLayout& layout, GLenum mode,
                GLint first, GLsizei count)
{
    if (!device->MeasuringCosts)
    {
        glDrawArrays(mode, first, count);
        return;
    }
    if (!device->CostQueries[0])
        glGenQueries(2, device->CostQueries);
    D3D8DrawCost cost = {};
    cost.Texture = device->Textures[0];
    DescribeWork(device, cost.Work, sizeof cost.Work);

    glFinish();
    const std::clock_t cpuStart = std::clock();
    const Clock::time_point start = Clock::now();
    glBeginQuery(kSamplesPassedQuery, device->CostQueries[0]);
    glDrawArrays(mode, first, count);
    glEndQuery(kSamplesPassedQuery);
    glFinish();
    cost.Seconds = std::chrono::duration<double>(Clock::now() - start).count();
    cost.CpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    if (ApplyState(device, layout, DrawPass::Counting))
    {
        glBeginQuery(kSamplesPassedQuery, device->CostQueries[1]);
        glDrawArrays(mode, first, count);
        glEndQuery(kSamplesPassedQuery);
        cost.Covered = Samples(device->CostQueries[1]);
    }
    cost.Drawn = Samples(device->CostQueries[0]);
    device->Costs.push_back(cost);
}

void DestroyCostQueries(IDirect3DDevice8::Impl* device)
{
    if (device->CostQueries[0])
        glDeleteQueries(2, device->CostQueries);
    device->CostQueries[0] = device->CostQueries[1] = 0;
}
} // namespace d3d8

BOOL D3D8DrawCostStart(IDirect3DDevice8* device)
{
    if (!device)
        return FALSE;
    if (!d3d8::kSamplesPassedQuery)
    {
        LogOnce("draw-cost", "d3d8", "draw costs need sample counts, which this GL does not give");
        return FALSE;
    }
    device->impl->Costs.clear();
    device->impl->MeasuringCosts = true;
    return TRUE;
}

void D3D8DrawCostStop(IDirect3DDevice8* device)
{
    if (device)
        device->impl->MeasuringCosts = false;
}

UINT D3D8DrawCostCount(IDirect3DDevice8* device)
{
    return device ? static_cast<UINT>(device->impl->Costs.size()) : 0;
}

const D3D8DrawCost* D3D8DrawCostGet(IDirect3DDevice8* device, UINT index)
{
    if (!device || index >= device->impl->Costs.size())
        return nullptr;
    return &device->impl->Costs[index];
}
