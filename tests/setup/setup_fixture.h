// Shared by the setup tool's dialog tests: a made-up machine in the adapter table globals and a
// private folder for the d3d.ini each test writes.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/stat.h>

#include "setup/adapter_table.h"

namespace setup_test
{

inline D3DDISPLAYMODE Mode(UINT width, UINT height, UINT refresh, D3DFORMAT format)
{
    return D3DDISPLAYMODE{width, height, refresh, format};
}

// Fills one table entry: its name, modes (each with `depth`) and capabilities.
inline void MakeAdapter(AdapterInfo* entry, const char* name, bool everything,
                        std::initializer_list<D3DDISPLAYMODE> modes, D3DFORMAT depth)
{
    snprintf(entry->Description, sizeof entry->Description, "%s", name);
    entry->ModeCount = 0;
    for (const D3DDISPLAYMODE& mode : modes)
    {
        entry->Modes[entry->ModeCount] = mode;
        entry->DepthModes[entry->ModeCount].Format = depth;
        ++entry->ModeCount;
    }
    if (everything)
    {
        entry->Caps.TextureFilterCaps =
            D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MINFANISOTROPIC;
        entry->Caps.TextureCaps = D3DPTEXTURECAPS_MIPMAP;
        entry->Caps.RasterCaps = D3DPRASTERCAPS_WBUFFER;
        entry->Caps.MaxActiveLights = 8;
        entry->Caps.SrcBlendCaps = D3DPBLENDCAPS_SRCCOLOR;
        entry->Caps.DestBlendCaps = D3DPBLENDCAPS_SRCCOLOR | D3DPBLENDCAPS_DESTCOLOR;
        entry->Caps.MaxTextureWidth = 2048;
        entry->Caps.MaxTextureHeight = 1024;
    }
    else
    {
        entry->Caps.MaxTextureWidth = 256;
        entry->Caps.MaxTextureHeight = 256;
    }
    SetAdapterFlags(entry);
}

// Three adapters: 0 and 2 offer everything, 1 offers nothing optional. The desktop is 1024 x 768
// in 32 bits at 85 Hz, the third mode of adapter 0.
class MachineTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(AllocateAdapterTable(3), nullptr);
        MakeAdapter(&AdapterTable[0], "Full Adapter", true,
                    {Mode(640, 480, 60, D3DFMT_R5G6B5), Mode(800, 600, 75, D3DFMT_X8R8G8B8),
                     Mode(1024, 768, 85, D3DFMT_X8R8G8B8), Mode(1280, 1024, 60, D3DFMT_A8R8G8B8)},
                    D3DFMT_D24S8);
        MakeAdapter(&AdapterTable[1], "Plain Adapter", false,
                    {Mode(640, 480, 0, D3DFMT_X1R5G5B5), Mode(800, 600, 0, D3DFMT_A4R4G4B4)},
                    D3DFMT_D16);
        MakeAdapter(&AdapterTable[2], "Second Full Adapter", true,
                    {Mode(640, 480, 60, D3DFMT_X8R8G8B8), Mode(800, 600, 60, D3DFMT_X8R8G8B8),
                     Mode(1024, 768, 60, D3DFMT_X8R8G8B8)},
                    D3DFMT_D32);
        DesktopMode = Mode(1024, 768, 85, D3DFMT_X8R8G8B8);
        DesktopModeIndex = 2;

        char pattern[] = "/tmp/zendrill-setup-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        Folder = pattern;
        Path = Folder + "/d3d.ini";
    }

    void TearDown() override
    {
        FreeAdapterTable();
        std::string command = "rm -rf '" + Folder + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }

    bool FileExists(const std::string& path) const
    {
        struct stat info;
        return stat(path.c_str(), &info) == 0;
    }

    std::string ReadText(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void WriteText(const std::string& path, const std::string& text) const
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }

    std::string Folder;
    std::string Path;
};

} // namespace setup_test
