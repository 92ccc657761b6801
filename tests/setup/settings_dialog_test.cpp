// The settings dialog's rules without any toolkit: defaults, adapter switches, the user's clicks
// and keys, and the d3d.ini that Save writes (read back from a real file).
#include "setup_fixture.h"

#include "setup/settings_dialog.h"

namespace
{

using setup_test::MachineTest;

class SettingsDialogTest : public MachineTest
{
  protected:
    void Open()
    {
        Dialog = SettingsDialog{};
        Dialog.SettingsPath = Path.c_str();
        EXPECT_EQ(SettingsDialogProc(&Dialog, WM_INITDIALOG, 0, 0), TRUE);
    }

    std::string ModeLine(UINT line) const
    {
        char text[64];
        Dialog.ModeLine(line, text, sizeof text);
        return text;
    }

    SettingsDialog Dialog;
};

TEST_F(SettingsDialogTest, OpensOnTheFirstAdapterWithEverythingItOffersSwitchedOn)
{
    Open();
    EXPECT_EQ(Dialog.AdapterSelection, 0);
    EXPECT_EQ(Dialog.CurrentAdapter, 0u);
    EXPECT_EQ(Dialog.ModeSelection, 2); // the desktop mode
    ASSERT_EQ(Dialog.ModeLineCount(), 4u);
    EXPECT_EQ(ModeLine(0), "640 x 480 - 16 bit");
    EXPECT_EQ(ModeLine(1), "800 x 600 - 32 bit");
    EXPECT_EQ(ModeLine(3), "1280 x 1024 - 32 bit");

    for (int id : {IDC_HWVP, IDC_MIPMAP, IDC_WBUFFER, IDC_LINEAR, IDC_SNOW_MODERATE})
        EXPECT_TRUE(Dialog.IsChecked(id)) << id;
    for (int id : {IDC_POINT, IDC_ANISOTROPIC, IDC_SNOW_NONE, IDC_SNOW_LIGHT, IDC_SNOW_HEAVY})
        EXPECT_FALSE(Dialog.IsChecked(id)) << id;
    for (int id :
         {IDC_SAVE, IDC_CANCEL, IDC_HWVP, IDC_MIPMAP, IDC_WBUFFER, IDC_POINT, IDC_LINEAR,
          IDC_ANISOTROPIC, IDC_SNOW_NONE, IDC_SNOW_LIGHT, IDC_SNOW_MODERATE, IDC_SNOW_HEAVY})
        EXPECT_TRUE(Dialog.IsEnabled(id)) << id;

    Dialog.Click(IDC_SAVE);
    EXPECT_TRUE(Dialog.Ended);
    EXPECT_EQ(Dialog.EndCode, 1);
    EXPECT_EQ(Dialog.Message, nullptr);
    EXPECT_EQ(ReadText(Path), "0\n1024\n768\n85\n22\n75\n1\n1\n1\n1\n12\n1\n1\n1\n1\n2048\n1024");
}

TEST_F(SettingsDialogTest, AnAdapterWithoutOptionsOffersPointFilteringOnly)
{
    // Put the plain adapter first so the dialog opens on it; the desktop index lies past its two
    // modes, so the first line is chosen.
    std::swap(AdapterTable[0], AdapterTable[1]);
    Open();
    EXPECT_EQ(Dialog.ModeSelection, 0);
    EXPECT_FALSE(Dialog.IsEnabled(IDC_LINEAR));
    EXPECT_FALSE(Dialog.IsEnabled(IDC_ANISOTROPIC));
    EXPECT_TRUE(Dialog.IsEnabled(IDC_POINT));
    EXPECT_TRUE(Dialog.IsChecked(IDC_POINT));
    for (int id : {IDC_HWVP, IDC_MIPMAP, IDC_WBUFFER})
    {
        EXPECT_FALSE(Dialog.IsEnabled(id)) << id;
        EXPECT_FALSE(Dialog.IsChecked(id)) << id;
    }

    // Disabled controls do not take clicks.
    Dialog.Click(IDC_ANISOTROPIC);
    Dialog.Click(IDC_HWVP);
    EXPECT_TRUE(Dialog.IsChecked(IDC_POINT));
    EXPECT_FALSE(Dialog.IsChecked(IDC_ANISOTROPIC));
    EXPECT_FALSE(Dialog.IsChecked(IDC_HWVP));

    Dialog.SelectLine(IDC_MODE_LIST, 1);
    Dialog.Click(IDC_SNOW_NONE);
    Dialog.Click(IDC_SAVE);
    EXPECT_EQ(ReadText(Path), "0\n800\n600\n0\n26\n80\n0\n0\n0\n0\n0\n0\n0\n0\n0\n256\n256");
}

TEST_F(SettingsDialogTest, SwitchingAdaptersResetsTheFilterAndRefillsTheModes)
{
    Open();
    Dialog.Click(IDC_ANISOTROPIC);
    EXPECT_TRUE(Dialog.IsChecked(IDC_ANISOTROPIC));
    EXPECT_FALSE(Dialog.IsChecked(IDC_LINEAR));

    Dialog.SelectLine(IDC_ADAPTER_LIST, 2);
    EXPECT_EQ(Dialog.CurrentAdapter, 2u);
    ASSERT_EQ(Dialog.ModeLineCount(), 3u);
    EXPECT_EQ(ModeLine(0), "640 x 480 - 32 bit");
    EXPECT_EQ(Dialog.ModeSelection, 2);
    EXPECT_TRUE(Dialog.IsChecked(IDC_LINEAR));
    EXPECT_FALSE(Dialog.IsChecked(IDC_ANISOTROPIC));
    EXPECT_TRUE(Dialog.IsEnabled(IDC_ANISOTROPIC));

    Dialog.Click(IDC_SNOW_HEAVY);
    Dialog.Click(IDC_SAVE);
    EXPECT_EQ(ReadText(Path), "2\n1024\n768\n60\n22\n71\n1\n1\n1\n1\n25\n1\n1\n1\n1\n2048\n1024");
}

TEST_F(SettingsDialogTest, ASupportedOptionComesBackCheckedAfterASwitch)
{
    Open();
    Dialog.Click(IDC_MIPMAP);
    Dialog.Click(IDC_WBUFFER);
    EXPECT_FALSE(Dialog.IsChecked(IDC_MIPMAP));
    EXPECT_FALSE(Dialog.IsChecked(IDC_WBUFFER));
    Dialog.SelectLine(IDC_ADAPTER_LIST, 2);
    EXPECT_TRUE(Dialog.IsChecked(IDC_MIPMAP));
    EXPECT_TRUE(Dialog.IsChecked(IDC_WBUFFER));

    // Selecting the line already current is no switch: the user's choices stay.
    Dialog.Click(IDC_MIPMAP);
    Dialog.SelectLine(IDC_ADAPTER_LIST, 2);
    EXPECT_FALSE(Dialog.IsChecked(IDC_MIPMAP));
}

TEST_F(SettingsDialogTest, SwitchingToAnAdapterWithoutAnOptionSwitchesItOff)
{
    Open();
    Dialog.Click(IDC_ANISOTROPIC);
    Dialog.SelectLine(IDC_ADAPTER_LIST, 1);
    for (int id : {IDC_HWVP, IDC_MIPMAP, IDC_WBUFFER, IDC_LINEAR, IDC_ANISOTROPIC})
    {
        EXPECT_FALSE(Dialog.IsEnabled(id)) << id;
        EXPECT_FALSE(Dialog.IsChecked(id)) << id;
    }
    EXPECT_TRUE(Dialog.IsChecked(IDC_POINT));
    EXPECT_TRUE(Dialog.IsChecked(IDC_SNOW_MODERATE)); // snow is the user's, never the adapter's
    // Adapter 1 has two modes; the desktop index 2 is not one of its lines.
    EXPECT_EQ(Dialog.ModeSelection, 0);
    Dialog.Click(IDC_SAVE);
    EXPECT_EQ(ReadText(Path), "1\n640\n480\n0\n24\n80\n0\n0\n0\n0\n12\n0\n0\n0\n0\n256\n256");
}

TEST_F(SettingsDialogTest, RadioButtonsStayExclusiveWithinTheirGroup)
{
    Open();
    Dialog.Click(IDC_POINT);
    Dialog.Click(IDC_SNOW_LIGHT);
    int filters = 0, snow = 0;
    for (int id = IDC_POINT; id <= IDC_ANISOTROPIC; ++id)
        filters += Dialog.IsChecked(id);
    for (int id = IDC_SNOW_NONE; id <= IDC_SNOW_HEAVY; ++id)
        snow += Dialog.IsChecked(id);
    EXPECT_EQ(filters, 1);
    EXPECT_EQ(snow, 1);
    EXPECT_TRUE(Dialog.IsChecked(IDC_POINT));
    EXPECT_TRUE(Dialog.IsChecked(IDC_SNOW_LIGHT));
}

TEST_F(SettingsDialogTest, EnterEscapeAndStrayMessagesCloseNothing)
{
    Open();
    Dialog.Click(IDC_HWVP);
    SettingsDialog before = Dialog;
    Dialog.PressKey(VK_ESCAPE);
    Dialog.PressKey(VK_RETURN);
    EXPECT_EQ(Dialog.Proc(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), FALSE);
    EXPECT_EQ(Dialog.Proc(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), FALSE);
    EXPECT_EQ(Dialog.Proc(WM_CLOSE, 0, 0), FALSE);
    EXPECT_FALSE(Dialog.Ended);
    EXPECT_FALSE(Dialog.IsChecked(IDC_HWVP));
    for (int id = IDC_SAVE; id <= IDC_SNOW_HEAVY; ++id)
    {
        EXPECT_EQ(Dialog.IsChecked(id), before.IsChecked(id)) << id;
        EXPECT_EQ(Dialog.IsEnabled(id), before.IsEnabled(id)) << id;
    }
    EXPECT_EQ(Dialog.ModeSelection, before.ModeSelection);
    EXPECT_FALSE(FileExists(Path));
}

TEST_F(SettingsDialogTest, CancelEndsWithZeroAndLeavesAnExistingFileAlone)
{
    WriteText(Path, "old contents");
    Open();
    Dialog.Click(IDC_CANCEL);
    EXPECT_TRUE(Dialog.Ended);
    EXPECT_EQ(Dialog.EndCode, 0);
    EXPECT_EQ(ReadText(Path), "old contents");
    // Once ended, nothing more happens.
    Dialog.Click(IDC_SAVE);
    EXPECT_EQ(Dialog.EndCode, 0);
    EXPECT_EQ(ReadText(Path), "old contents");
}

TEST_F(SettingsDialogTest, AFailedSaveKeepsTheDialogOpenWithTheReason)
{
    // The folder does not exist yet: nothing can be written there.
    std::string folder = Folder + "/not-yet";
    std::string path = folder + "/d3d.ini";
    Open();
    Dialog.SettingsPath = path.c_str();
    EXPECT_EQ(Dialog.Proc(WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED), 0), TRUE);
    EXPECT_FALSE(Dialog.Ended);
    ASSERT_NE(Dialog.Message, nullptr);
    EXPECT_GT(strlen(Dialog.Message), 0u);
    EXPECT_FALSE(FileExists(path));

    // The user fixes the cause and tries again.
    Dialog.Message = nullptr;
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    Dialog.Click(IDC_SAVE);
    EXPECT_TRUE(Dialog.Ended);
    EXPECT_EQ(Dialog.EndCode, 1);
    EXPECT_EQ(Dialog.Message, nullptr);
    EXPECT_EQ(ReadText(path).substr(0, 7), "0\n1024\n");
}

TEST_F(SettingsDialogTest, AFileThatCannotBeReplacedIsReportedAndNothingChanges)
{
    // Something that is not a file already holds the name.
    ASSERT_EQ(mkdir(Path.c_str(), 0755), 0);
    Open();
    Dialog.Click(IDC_SAVE);
    EXPECT_FALSE(Dialog.Ended);
    EXPECT_NE(Dialog.Message, nullptr);
    struct stat info;
    ASSERT_EQ(stat(Path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(SettingsDialogTest, AnAdapterWithoutModesCannotSave)
{
    AdapterTable[0].ModeCount = 0;
    Open();
    EXPECT_EQ(Dialog.ModeSelection, -1);
    EXPECT_FALSE(Dialog.IsEnabled(IDC_SAVE));
    Dialog.Click(IDC_SAVE);
    EXPECT_FALSE(Dialog.Ended);
    // Even a Save command that reaches the procedure directly writes nothing.
    Dialog.Proc(WM_COMMAND, MAKEWPARAM(IDC_SAVE, BN_CLICKED), 0);
    EXPECT_FALSE(Dialog.Ended);
    EXPECT_NE(Dialog.Message, nullptr);
    EXPECT_FALSE(FileExists(Path));

    // Another adapter with modes makes Save possible again.
    Dialog.SelectLine(IDC_ADAPTER_LIST, 1);
    EXPECT_TRUE(Dialog.IsEnabled(IDC_SAVE));
    EXPECT_EQ(Dialog.ModeSelection, 0);
}

TEST_F(SettingsDialogTest, SelectionsOutsideTheListsAreIgnored)
{
    Open();
    Dialog.SelectLine(IDC_ADAPTER_LIST, -1);
    Dialog.SelectLine(IDC_ADAPTER_LIST, 3);
    Dialog.SelectLine(IDC_MODE_LIST, -1);
    Dialog.SelectLine(IDC_MODE_LIST, 4);
    EXPECT_EQ(Dialog.AdapterSelection, 0);
    EXPECT_EQ(Dialog.CurrentAdapter, 0u);
    EXPECT_EQ(Dialog.ModeSelection, 2);
    EXPECT_TRUE(Dialog.IsEnabled(IDC_SAVE));
}

TEST(ModeLineText, NamesSixteenAndThirtyTwoBitFormatsOnly)
{
    char text[64];
    const D3DFORMAT sixteen[] = {D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4};
    for (D3DFORMAT format : sixteen)
    {
        EXPECT_TRUE(FormatModeLine(D3DDISPLAYMODE{1600, 1200, 60, format}, text, sizeof text));
        EXPECT_STREQ(text, "1600 x 1200 - 16 bit");
    }
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8})
    {
        EXPECT_TRUE(FormatModeLine(D3DDISPLAYMODE{640, 480, 60, format}, text, sizeof text));
        EXPECT_STREQ(text, "640 x 480 - 32 bit");
    }
    for (D3DFORMAT format : {D3DFMT_R8G8B8, D3DFMT_X4R4G4B4, D3DFMT_UNKNOWN})
    {
        EXPECT_FALSE(FormatModeLine(D3DDISPLAYMODE{640, 480, 60, format}, text, sizeof text));
        EXPECT_STREQ(text, "");
    }
}

} // namespace
