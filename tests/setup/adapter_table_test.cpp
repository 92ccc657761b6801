// The adapter table's rules fed with made-up adapters: which modes are kept, which depth format a
// mode gets, and which options an adapter's capabilities allow.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "setup/adapter_table.h"

namespace
{

D3DDISPLAYMODE Mode(UINT width, UINT height, UINT refresh, D3DFORMAT format)
{
    return D3DDISPLAYMODE{width, height, refresh, format};
}

// An adapter as the rules see it: the modes it reports in order, the display formats that work
// full screen, and the (mode format, depth format) pairs it accepts.
struct FakeAdapter
{
    std::vector<D3DDISPLAYMODE> Modes;
    std::set<D3DFORMAT> WorkingFormats = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5,
                                          D3DFMT_X1R5G5B5, D3DFMT_R8G8B8};
    std::set<std::pair<D3DFORMAT, D3DFORMAT>> DepthPairs;
    std::vector<std::pair<D3DFORMAT, D3DFORMAT>> DepthQuestions;
    HRESULT FailureAtEnd = D3DERR_INVALIDCALL;

    FakeAdapter()
    {
        for (D3DFORMAT format : WorkingFormats)
            DepthPairs.insert({format, D3DFMT_D16});
    }

    static HRESULT Enum(void* context, UINT index, D3DDISPLAYMODE* mode)
    {
        auto* self = static_cast<FakeAdapter*>(context);
        if (index >= self->Modes.size())
            return self->FailureAtEnd;
        *mode = self->Modes[index];
        return D3D_OK;
    }
    static bool Format(void* context, D3DFORMAT format)
    {
        return static_cast<FakeAdapter*>(context)->WorkingFormats.count(format) > 0;
    }
    static bool Depth(void* context, D3DFORMAT modeFormat, D3DFORMAT depth)
    {
        auto* self = static_cast<FakeAdapter*>(context);
        self->DepthQuestions.push_back({modeFormat, depth});
        return self->DepthPairs.count({modeFormat, depth}) > 0;
    }
    ModeSource Source() { return ModeSource{this, Enum, Format, Depth}; }
};

// One table entry per test; big enough that it does not belong on the stack.
struct Collected
{
    AdapterInfo Entry = {};
    UINT DesktopIndex = 0;
};

void Collect(FakeAdapter& adapter, Collected* out, const D3DDISPLAYMODE& desktop)
{
    CollectModes(&out->Entry, adapter.Source(), desktop, &out->DesktopIndex);
}

const D3DDISPLAYMODE NoDesktop = {1, 1, 1, D3DFMT_X8R8G8B8};

TEST(ModeKeeping, HighestRefreshRateWinsInEitherOrder)
{
    for (bool ascending : {true, false})
    {
        FakeAdapter adapter;
        adapter.Modes = {Mode(640, 480, ascending ? 60 : 75, D3DFMT_R5G6B5),
                         Mode(640, 480, ascending ? 75 : 60, D3DFMT_R5G6B5)};
        auto out = std::make_unique<Collected>();
        Collect(adapter, out.get(), NoDesktop);
        ASSERT_EQ(out->Entry.ModeCount, 1u) << "ascending " << ascending;
        EXPECT_EQ(out->Entry.Modes[0].RefreshRate, 75u) << "ascending " << ascending;
        EXPECT_EQ(out->Entry.DepthModes[0].Format, D3DFMT_D16);
    }
}

TEST(ModeKeeping, OneEntryPerSizeAndFormatInOrderOfFirstAppearance)
{
    FakeAdapter adapter;
    adapter.DepthPairs.insert({D3DFMT_X8R8G8B8, D3DFMT_D24X8});
    adapter.Modes = {Mode(800, 600, 60, D3DFMT_X8R8G8B8), Mode(640, 480, 60, D3DFMT_X8R8G8B8),
                     Mode(800, 600, 60, D3DFMT_R5G6B5), Mode(800, 600, 85, D3DFMT_X8R8G8B8),
                     Mode(800, 600, 70, D3DFMT_X8R8G8B8)};
    auto out = std::make_unique<Collected>();
    Collect(adapter, out.get(), NoDesktop);
    ASSERT_EQ(out->Entry.ModeCount, 3u);
    EXPECT_EQ(out->Entry.Modes[0].Width, 800u);
    EXPECT_EQ(out->Entry.Modes[0].Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(out->Entry.Modes[0].RefreshRate, 85u); // a later, lower rate does not take it back
    EXPECT_EQ(out->Entry.DepthModes[0].Format, D3DFMT_D24X8);
    EXPECT_EQ(out->Entry.Modes[1].Width, 640u);
    EXPECT_EQ(out->Entry.Modes[2].Format, D3DFMT_R5G6B5);
    EXPECT_EQ(out->Entry.DepthModes[2].Format, D3DFMT_D16);
}

TEST(ModeKeeping, ModesTheGameCannotUseAreNotKept)
{
    FakeAdapter adapter;
    adapter.WorkingFormats.erase(D3DFMT_X1R5G5B5);
    adapter.DepthPairs.erase({D3DFMT_R5G6B5, D3DFMT_D16}); // no depth format for 16-bit 565
    adapter.Modes = {
        Mode(320, 240, 60, D3DFMT_X8R8G8B8),  // too small
        Mode(512, 384, 60, D3DFMT_X8R8G8B8),  // too small
        Mode(640, 400, 60, D3DFMT_X8R8G8B8),  // too low
        Mode(600, 800, 60, D3DFMT_X8R8G8B8),  // too narrow
        Mode(1024, 768, 60, D3DFMT_R5G6B5),   // no depth format passes
        Mode(1024, 768, 60, D3DFMT_X1R5G5B5), // not usable full screen
        Mode(1024, 768, 60, D3DFMT_R8G8B8),   // works, but the mode list cannot name 24-bit
        Mode(640, 480, 60, D3DFMT_X8R8G8B8),  // the one good mode
    };
    auto out = std::make_unique<Collected>();
    Collect(adapter, out.get(), NoDesktop);
    ASSERT_EQ(out->Entry.ModeCount, 1u);
    EXPECT_EQ(out->Entry.Modes[0].Width, 640u);
    EXPECT_EQ(out->Entry.Modes[0].Height, 480u);
}

TEST(ModeKeeping, ListEndsAtTheFirstFailure)
{
    FakeAdapter adapter;
    adapter.FailureAtEnd = E_FAIL; // an adapter that ends its list with another code
    adapter.Modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8)};
    auto out = std::make_unique<Collected>();
    Collect(adapter, out.get(), NoDesktop);
    EXPECT_EQ(out->Entry.ModeCount, 1u);
}

TEST(DesktopModeIndex, PointsAtTheDesktopEntryThroughRefreshUpgrades)
{
    const D3DDISPLAYMODE desktop = Mode(1024, 768, 60, D3DFMT_X8R8G8B8);
    FakeAdapter adapter;
    adapter.Modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8), Mode(800, 600, 60, D3DFMT_X8R8G8B8),
                     Mode(1024, 768, 60, D3DFMT_X8R8G8B8), Mode(1024, 768, 75, D3DFMT_X8R8G8B8),
                     Mode(1024, 768, 85, D3DFMT_X8R8G8B8)};
    auto out = std::make_unique<Collected>();
    Collect(adapter, out.get(), desktop);
    ASSERT_EQ(out->Entry.ModeCount, 3u);
    EXPECT_EQ(out->DesktopIndex, 2u);
    EXPECT_EQ(out->Entry.Modes[2].RefreshRate, 85u);

    // A replacement that equals the desktop sets the index too.
    adapter.Modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8), Mode(1024, 768, 50, D3DFMT_X8R8G8B8),
                     Mode(1024, 768, 60, D3DFMT_X8R8G8B8)};
    auto replaced = std::make_unique<Collected>();
    Collect(adapter, replaced.get(), desktop);
    EXPECT_EQ(replaced->DesktopIndex, 1u);
}

TEST(DesktopModeIndex, UntouchedWhenNoKeptModeEqualsTheDesktop)
{
    FakeAdapter adapter;
    adapter.Modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8), Mode(800, 600, 60, D3DFMT_X8R8G8B8),
                     Mode(320, 240, 60, D3DFMT_X8R8G8B8)};
    for (const D3DDISPLAYMODE& desktop :
         {Mode(320, 240, 60, D3DFMT_X8R8G8B8), Mode(800, 600, 75, D3DFMT_X8R8G8B8),
          Mode(800, 600, 60, D3DFMT_R5G6B5)})
    {
        auto out = std::make_unique<Collected>();
        Collect(adapter, out.get(), desktop);
        EXPECT_EQ(out->DesktopIndex, 0u) << desktop.Width << "x" << desktop.Height;
    }
}

TEST(DesktopModeIndex, TheLastAdapterHoldingTheDesktopSetsIt)
{
    const D3DDISPLAYMODE desktop = Mode(800, 600, 60, D3DFMT_X8R8G8B8);
    FakeAdapter first, second, third;
    first.Modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8), desktop};
    second.Modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8), Mode(1024, 768, 60, D3DFMT_X8R8G8B8),
                    desktop};
    third.Modes = {Mode(640, 480, 60, D3DFMT_X8R8G8B8)};
    auto a = std::make_unique<Collected>();
    auto b = std::make_unique<Collected>();
    auto c = std::make_unique<Collected>();
    UINT index = 0;
    CollectModes(&a->Entry, first.Source(), desktop, &index);
    EXPECT_EQ(index, 1u);
    CollectModes(&b->Entry, second.Source(), desktop, &index);
    EXPECT_EQ(index, 2u);
    CollectModes(&c->Entry, third.Source(), desktop, &index);
    EXPECT_EQ(index, 2u);
}

TEST(ModeKeeping, AFullTableDropsNewModesButStillUpgradesKeptOnes)
{
    FakeAdapter adapter;
    for (UINT i = 0; i < 130; ++i)
        adapter.Modes.push_back(Mode(640 + i, 480, 60, D3DFMT_X8R8G8B8));
    adapter.Modes.push_back(Mode(645, 480, 100, D3DFMT_X8R8G8B8));       // kept entry 5, faster
    adapter.Modes.push_back(Mode(640 + 120, 480, 100, D3DFMT_X8R8G8B8)); // dropped size
    const D3DDISPLAYMODE desktop = Mode(640 + 110, 480, 60, D3DFMT_X8R8G8B8); // dropped
    auto out = std::make_unique<Collected>();
    Collect(adapter, out.get(), desktop);
    ASSERT_EQ(out->Entry.ModeCount, UINT(ModeTableSize));
    for (UINT i = 0; i < ModeTableSize; ++i)
        ASSERT_EQ(out->Entry.Modes[i].Width, 640 + i);
    EXPECT_EQ(out->Entry.Modes[5].RefreshRate, 100u);
    EXPECT_EQ(out->Entry.Modes[6].RefreshRate, 60u);
    EXPECT_EQ(out->DesktopIndex, 0u);
}

// The seven candidates, weakest first, as the preference order the game relies on.
const D3DFORMAT Strength[7] = {D3DFMT_D15S1,   D3DFMT_D16_LOCKABLE, D3DFMT_D16, D3DFMT_D24S8,
                               D3DFMT_D24X4S4, D3DFMT_D24X8,        D3DFMT_D32};

TEST(DepthFormat, TheStrongestPassingCandidateWins)
{
    // Every single candidate, and every pair: the stronger one of a pair wins.
    for (int weak = 0; weak < 7; ++weak)
    {
        FakeAdapter alone;
        alone.DepthPairs = {{D3DFMT_X8R8G8B8, Strength[weak]}};
        EXPECT_EQ(PickDepthFormat(D3DFMT_X8R8G8B8, FakeAdapter::Depth, &alone), Strength[weak]);
        for (int strong = weak + 1; strong < 7; ++strong)
        {
            FakeAdapter both;
            both.DepthPairs = {{D3DFMT_X8R8G8B8, Strength[weak]},
                               {D3DFMT_X8R8G8B8, Strength[strong]}};
            EXPECT_EQ(PickDepthFormat(D3DFMT_X8R8G8B8, FakeAdapter::Depth, &both), Strength[strong])
                << Strength[weak] << " and " << Strength[strong];
        }
    }
}

TEST(DepthFormat, AsksAboutTheModeFormatAndGivesZeroWhenNothingFits)
{
    FakeAdapter adapter;
    adapter.DepthPairs = {{D3DFMT_X8R8G8B8, D3DFMT_D24S8}, {D3DFMT_X8R8G8B8, D3DFMT_D16}};
    EXPECT_EQ(PickDepthFormat(D3DFMT_X8R8G8B8, FakeAdapter::Depth, &adapter), D3DFMT_D24S8);
    ASSERT_EQ(adapter.DepthQuestions.size(), 7u);
    for (const auto& question : adapter.DepthQuestions)
        EXPECT_EQ(question.first, D3DFMT_X8R8G8B8);
    EXPECT_EQ(PickDepthFormat(D3DFMT_R5G6B5, FakeAdapter::Depth, &adapter), D3DFMT_UNKNOWN);
}

// The adapter flags as one comparable list.
std::vector<bool> Flags(const AdapterInfo& entry)
{
    return {entry.HardwareVertexProcessing,
            entry.Anisotropic,
            entry.Linear,
            entry.MipMapping,
            entry.WBuffering,
            entry.Lighting,
            entry.SrcBlendSrcColor,
            entry.DestBlendDestColor,
            entry.DestBlendSrcColor};
}

TEST(AdapterFlags, EachCapabilityBitSetsItsOwnFlagOnly)
{
    enum
    {
        Hwvp,
        Aniso,
        Linear,
        Mip,
        WBuf,
        Light,
        SrcSrc,
        DestDest,
        DestSrc
    };
    struct Case
    {
        const char* Name;
        void (*Set)(D3DCAPS8*);
        std::vector<int> Expected;
    };
    const Case cases[] = {
        {"anisotropic min filter",
         [](D3DCAPS8* c) { c->TextureFilterCaps = D3DPTFILTERCAPS_MINFANISOTROPIC; },
         {Aniso}},
        {"linear min filter",
         [](D3DCAPS8* c) { c->TextureFilterCaps = D3DPTFILTERCAPS_MINFLINEAR; },
         {Linear}},
        {"mag filters only",
         [](D3DCAPS8* c)
         { c->TextureFilterCaps = D3DPTFILTERCAPS_MAGFLINEAR | D3DPTFILTERCAPS_MAGFANISOTROPIC; },
         {}},
        {"mip maps", [](D3DCAPS8* c) { c->TextureCaps = D3DPTEXTURECAPS_MIPMAP; }, {Mip}},
        {"w buffer", [](D3DCAPS8* c) { c->RasterCaps = D3DPRASTERCAPS_WBUFFER; }, {WBuf}},
        {"one light", [](D3DCAPS8* c) { c->MaxActiveLights = 1; }, {Hwvp, Light}},
        {"source blend by source colour",
         [](D3DCAPS8* c) { c->SrcBlendCaps = D3DPBLENDCAPS_SRCCOLOR; },
         {SrcSrc}},
        {"source blend by destination colour",
         [](D3DCAPS8* c) { c->SrcBlendCaps = D3DPBLENDCAPS_DESTCOLOR; },
         {}},
        {"destination blend by destination colour",
         [](D3DCAPS8* c) { c->DestBlendCaps = D3DPBLENDCAPS_DESTCOLOR; },
         {DestDest}},
        {"destination blend by source colour",
         [](D3DCAPS8* c) { c->DestBlendCaps = D3DPBLENDCAPS_SRCCOLOR; },
         {DestSrc}},
    };
    for (const Case& c : cases)
    {
        auto entry = std::make_unique<AdapterInfo>();
        *entry = AdapterInfo{};
        c.Set(&entry->Caps);
        SetAdapterFlags(entry.get());
        std::vector<bool> expected(9, false);
        for (int flag : c.Expected)
            expected[flag] = true;
        EXPECT_EQ(Flags(*entry), expected) << c.Name;
    }
}

TEST(AdapterFlags, NoLightsMeansNeitherHardwareVertexProcessingNorLighting)
{
    auto entry = std::make_unique<AdapterInfo>();
    *entry = AdapterInfo{};
    D3DCAPS8& caps = entry->Caps;
    caps.TextureFilterCaps = 0xffffffff;
    caps.TextureCaps = 0xffffffff;
    caps.RasterCaps = 0xffffffff;
    caps.SrcBlendCaps = 0xffffffff;
    caps.DestBlendCaps = 0xffffffff;
    caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    caps.MaxActiveLights = 0;
    caps.MaxTextureWidth = 4096;
    caps.MaxTextureHeight = 2048;
    SetAdapterFlags(entry.get());
    EXPECT_FALSE(entry->HardwareVertexProcessing);
    EXPECT_FALSE(entry->Lighting);
    EXPECT_TRUE(entry->Anisotropic && entry->Linear && entry->MipMapping && entry->WBuffering);
    EXPECT_TRUE(entry->SrcBlendSrcColor && entry->DestBlendDestColor && entry->DestBlendSrcColor);
    EXPECT_EQ(entry->MaxTextureWidth, 4096u);
    EXPECT_EQ(entry->MaxTextureHeight, 2048u);
}

TEST(AdapterTableMemory, EntriesStartClearedAndCanBeReplaced)
{
    ASSERT_EQ(AllocateAdapterTable(2), nullptr);
    AdapterTable[1].Linear = true;
    AdapterTable[1].ModeCount = 7;
    ASSERT_EQ(AllocateAdapterTable(3), nullptr);
    EXPECT_EQ(AdapterCount, 3u);
    for (UINT i = 0; i < AdapterCount; ++i)
    {
        EXPECT_FALSE(AdapterTable[i].Linear);
        EXPECT_EQ(AdapterTable[i].ModeCount, 0u);
    }
    FreeAdapterTable();
    EXPECT_EQ(AdapterTable, nullptr);
    EXPECT_EQ(AdapterCount, 0u);
}

} // namespace
