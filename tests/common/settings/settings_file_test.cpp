// Tests of the d3d.ini reader and writer: files as the setup tool writes them (also with the
// Windows build's CR LF line ends), hand-edited and broken files, and saves that must not damage
// the file they replace.
#include "common/settings/display_settings.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// A fresh folder per test, removed with its files afterwards.
class SettingsFileTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char name[] = "/tmp/zendrill-settings-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        folder = name;
        path = folder + "/d3d.ini";
    }
    void TearDown() override
    {
        chmod(folder.c_str(), 0755);
        std::string command = "rm -rf '" + folder + "'";
        ASSERT_EQ(system(command.c_str()), 0);
    }
    void Put(const std::string& text)
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    std::string Get() const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    DisplaySettingsRecord Read()
    {
        DisplaySettingsRecord settings = {};
        EXPECT_EQ(ReadSettingsFile(path.c_str(), &settings), nullptr);
        return settings;
    }
    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        DIR* dir = opendir(folder.c_str());
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                names.push_back(entry->d_name);
        closedir(dir);
        return names;
    }

    std::string folder;
    std::string path;
};

// What the setup tool saves for an 800 x 600 mode with every option on and heavy snow.
SettingsFileValues TypicalValues()
{
    return SettingsFileValues{1, 800, 600, 75, 22, 75, 2, 1, 1, 1, 25, 1, 1, 0, 1, 4096, 2048};
}

const char* const TypicalText = "1\n800\n600\n75\n22\n75\n2\n1\n1\n1\n25\n1\n1\n0\n1\n4096\n2048";

void ExpectTypical(const DisplaySettingsRecord& s)
{
    EXPECT_EQ(s.Adapter, 1u);
    EXPECT_EQ(s.DisplayMode.Width, 800u);
    EXPECT_EQ(s.DisplayMode.Height, 600u);
    EXPECT_EQ(s.DisplayMode.RefreshRate, 75u);
    EXPECT_EQ(s.DisplayMode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(s.DepthStencilFormat, D3DFMT_D24S8);
    EXPECT_EQ(s.FilterMethod, 2u);
    EXPECT_TRUE(s.HardwareVertexProcessing);
    EXPECT_TRUE(s.MipMapping);
    EXPECT_TRUE(s.WBuffering);
    EXPECT_EQ(s.SnowLayerCount, 25u);
    EXPECT_TRUE(s.Lighting);
    EXPECT_TRUE(s.SrcBlendSrcColor);
    EXPECT_FALSE(s.DestBlendDestColor);
    EXPECT_TRUE(s.DestBlendSrcColor);
}

TEST_F(SettingsFileTest, WriterProducesSeventeenLinesWithoutFinalBreakAndReaderTakesThemBack)
{
    ASSERT_EQ(WriteSettingsFile(path.c_str(), TypicalValues()), nullptr);
    EXPECT_EQ(Get(), TypicalText);
    ExpectTypical(Read());
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"d3d.ini"});
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IRUSR, 0u);
    EXPECT_NE(info.st_mode & S_IWUSR, 0u);
}

TEST_F(SettingsFileTest, SavingAgainReplacesTheWholeFile)
{
    Put(std::string(TypicalText) + "\n999\n999\n999\ntrailing text that is much longer");
    SettingsFileValues values = {0, 640, 480, 0, 23, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 256, 256};
    ASSERT_EQ(WriteSettingsFile(path.c_str(), values), nullptr);
    EXPECT_EQ(Get(), "0\n640\n480\n0\n23\n80\n0\n0\n0\n0\n0\n0\n0\n0\n0\n256\n256");
}

TEST_F(SettingsFileTest, WindowsLineEndsAndSpacesReadTheSame)
{
    // The Windows build lays the file out with CR LF between the values and none after the last.
    std::string crlf;
    for (const char* c = TypicalText; *c; ++c)
        crlf += *c == '\n' ? std::string("\r\n") : std::string(1, *c);
    char text[512];
    int length = FormatSettingsText(TypicalValues(), "\r\n", text, sizeof text);
    EXPECT_EQ(std::string(text, length > 0 ? static_cast<size_t>(length) : 0), crlf);
    EXPECT_EQ(FormatSettingsText(TypicalValues(), "\r\n", text, crlf.size()), -1);
    Put(crlf);
    ExpectTypical(Read());

    Put("1 800 600 75 22 75 2 1 1 1 25 1 1 0 1");
    ExpectTypical(Read());

    // Tabs and blank lines are white space too; lines 16 and 17 are never looked at.
    Put("\t1\n\n800 600\t75 22 75 2 1 1 1 25 1 1 0 1 not-a-number -7");
    ExpectTypical(Read());
}

TEST_F(SettingsFileTest, FileEndingAfterLineTenLeavesSnowLightAndBlendsAtStart)
{
    Put("0\n640\n480\n60\n23\n80\n1\n1\n0\n1");
    DisplaySettingsRecord s = Read();
    EXPECT_EQ(s.DisplayMode.Width, 640u);
    EXPECT_EQ(s.DisplayMode.Format, D3DFMT_R5G6B5);
    EXPECT_EQ(s.DepthStencilFormat, D3DFMT_D16);
    EXPECT_TRUE(s.HardwareVertexProcessing);
    EXPECT_FALSE(s.MipMapping);
    EXPECT_TRUE(s.WBuffering);
    EXPECT_EQ(s.SnowLayerCount, 0u);
    EXPECT_FALSE(s.Lighting);
    EXPECT_FALSE(s.SrcBlendSrcColor);
    EXPECT_FALSE(s.DestBlendDestColor);
    EXPECT_FALSE(s.DestBlendSrcColor);
}

TEST_F(SettingsFileTest, FirstBadValueStopsReadingAndLaterFieldsKeepWhatTheyHeld)
{
    // A 2 is not a flag: line 8 and everything after it are not taken, lines 1 to 7 are.
    Put("0\n1024\n768\n85\n22\n77\n1\n2\n1\n1\n12\n1\n1\n1\n1\n2048\n2048");
    DisplaySettingsRecord s = {};
    s.MipMapping = true; // a field that is not read keeps what it held, whatever that was
    s.SnowLayerCount = 8;
    ASSERT_EQ(ReadSettingsFile(path.c_str(), &s), nullptr);
    EXPECT_EQ(s.DisplayMode.Width, 1024u);
    EXPECT_EQ(s.DepthStencilFormat, D3DFMT_D24X8);
    EXPECT_EQ(s.FilterMethod, 1u);
    EXPECT_FALSE(s.HardwareVertexProcessing);
    EXPECT_TRUE(s.MipMapping);
    EXPECT_EQ(s.SnowLayerCount, 8u);
    EXPECT_FALSE(s.Lighting);

    // A number too large for 32 bits fails the same way, and does not leave the type's maximum
    // behind in the field.
    Put("0\n640\n480\n60\n22\n80\n0\n0\n0\n0\n99999999999\n1\n1\n1\n1");
    s = Read();
    EXPECT_EQ(s.SnowLayerCount, 0u);
    EXPECT_FALSE(s.Lighting);
    EXPECT_FALSE(s.DestBlendSrcColor);

    // Text where a number belongs.
    Put("0\nwide\n480");
    s = Read();
    EXPECT_EQ(s.DisplayMode.Width, 0u);
    EXPECT_EQ(s.DisplayMode.Height, 0u);
}

TEST_F(SettingsFileTest, AbsurdButWellFormedNumbersAreReadAsTheyStand)
{
    // Bounding these is the business of the code that uses them (the snow layer allocation).
    Put("7\n4000000000\n1\n0\n2147483647\n0\n9\n0\n0\n0\n4000000000\n0\n0\n0\n1");
    DisplaySettingsRecord s = Read();
    EXPECT_EQ(s.Adapter, 7u);
    EXPECT_EQ(s.DisplayMode.Width, 4000000000u);
    EXPECT_EQ(s.DisplayMode.Format, D3DFMT_FORCE_DWORD);
    EXPECT_EQ(s.FilterMethod, 9u);
    EXPECT_EQ(s.SnowLayerCount, 4000000000u);
    EXPECT_TRUE(s.DestBlendSrcColor);

    // A format number beyond what a D3DFORMAT can hold names no format: the read fails there.
    Put("0\n640\n480\n60\n4294967295\n80\n1\n1\n1\n1\n8\n1\n1\n1\n1");
    s = Read();
    EXPECT_EQ(s.DisplayMode.RefreshRate, 60u);
    EXPECT_EQ(s.DisplayMode.Format, D3DFMT_UNKNOWN);
    EXPECT_EQ(s.DepthStencilFormat, D3DFMT_UNKNOWN);
    EXPECT_EQ(s.SnowLayerCount, 0u);
}

TEST_F(SettingsFileTest, EmptyFileGivesAllZeroAndMissingFileAsksForTheSetupTool)
{
    Put("");
    DisplaySettingsRecord s = Read();
    DisplaySettingsRecord zero = {};
    EXPECT_EQ(memcmp(&s, &zero, sizeof s), 0);

    unlink(path.c_str());
    const char* text = ReadSettingsFile(path.c_str(), &s);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Please run 3D Zendrill Config first.");
    EXPECT_STREQ(SettingsFileName, "d3d.ini");
}

TEST_F(SettingsFileTest, FailedSaveReturnsItsTextAndLeavesTheOldFileIntact)
{
    const std::string old = "0\n640\n480\n60\n22\n80\n0\n0\n0\n0\n8\n1\n1\n1\n1\n256\n256";
    Put(old);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);

    // Root may write anywhere, so the save runs in a child that gives up root first.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
    {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        const char* text = WriteSettingsFile(path.c_str(), TypicalValues());
        _exit(text != nullptr && strlen(text) > 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save into a read-only folder did not fail";
    EXPECT_EQ(Get(), old);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"d3d.ini"});
}

TEST_F(SettingsFileTest, SaveThatCannotReplaceTheTargetCleansUpItsTemporaryFile)
{
    // A folder in the file's place cannot be renamed over.
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
    ASSERT_EQ(mkdir((path + "/keep").c_str(), 0755), 0);
    const char* text = WriteSettingsFile(path.c_str(), TypicalValues());
    ASSERT_NE(text, nullptr);
    EXPECT_NE(std::string(text).find("d3d.ini"), std::string::npos);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"d3d.ini"});

    // A folder that does not exist.
    text = WriteSettingsFile((folder + "/missing/d3d.ini").c_str(), TypicalValues());
    EXPECT_NE(text, nullptr);
}

} // namespace
