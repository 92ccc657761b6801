// The settings dialog's real Qt widgets, driven with Qt Test on the offscreen platform: what the
// window shows, that clicks reach the rules, how it ends, and that keys and failed saves leave it
// open.
#include "setup_fixture.h"

#include <cstring>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "setup/settings_dialog_view.h"

namespace
{

using setup_test::MachineTest;

// One QApplication for the whole run, on the offscreen platform unless the caller chose another.
class QtEnvironment : public ::testing::Environment
{
  public:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        Application = new QApplication(Argc, Argv);
    }
    void TearDown() override
    {
        delete Application;
        Application = nullptr;
    }

  private:
    int Argc = 1;
    char Name[32] = "settings_dialog_sdl_test";
    char* Argv[2] = {Name, nullptr};
    QApplication* Application = nullptr;
};
const ::testing::Environment* const QtReady =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QWidget* FindDialogWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->windowTitle() == "3D Zendrill Setup")
            return widget;
    return nullptr;
}

template <typename Widget> Widget* FindByText(QWidget* window, const QString& text)
{
    for (Widget* widget : window->findChildren<Widget*>())
        if (widget->text() == text)
            return widget;
    ADD_FAILURE() << "no control reads " << text.toStdString();
    return nullptr;
}

QAbstractButton* ButtonNamed(QWidget* window, const char* text)
{
    return FindByText<QAbstractButton>(window, QString::fromLatin1(text));
}

// Clicks a button where a user aims: a radio button or check box takes clicks on its mark and its
// text only, not on the empty rest of its rectangle.
void Click(QAbstractButton* button)
{
    QPoint point = qobject_cast<QPushButton*>(button) ? button->rect().center()
                                                      : QPoint(8, button->height() / 2);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, point);
}

QStringList Lines(QListWidget* list)
{
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
        lines << list->item(row)->text();
    return lines;
}

int SelectedRow(QListWidget* list)
{
    QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.size() == 1 ? list->row(selected.first()) : -1;
}

void ClickRow(QListWidget* list, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
}

class SettingsDialogViewTest : public MachineTest
{
  protected:
    // Runs the dialog; once its window is up, `drive` works it as a user would. Should the dialog
    // still be open a while later, the window is closed so the test ends instead of hanging.
    int Run(const std::function<void(QWidget*)>& drive)
    {
        Dialog = SettingsDialog{};
        Dialog.SettingsPath = Path.c_str();
        bool driven = false;
        QTimer::singleShot(0,
                           [&]
                           {
                               QWidget* window = FindDialogWindow();
                               if (!window)
                               {
                                   ADD_FAILURE() << "the dialog window did not appear";
                                   return;
                               }
                               driven = true;
                               drive(window);
                           });
        QTimer safety;
        safety.setSingleShot(true);
        QObject::connect(&safety, &QTimer::timeout,
                         []
                         {
                             ADD_FAILURE() << "the dialog was still open; closing it";
                             if (QWidget* window = FindDialogWindow())
                                 window->close();
                         });
        safety.start(30000);
        int code = RunSettingsDialog(&Dialog);
        EXPECT_TRUE(driven);
        EXPECT_EQ(FindDialogWindow(), nullptr);
        return code;
    }

    SettingsDialog Dialog;
};

TEST_F(SettingsDialogViewTest, ShowsTheTemplatesControlsAndSavesOnClick)
{
    int code = Run(
        [](QWidget* window)
        {
            Qt::WindowFlags flags = window->windowFlags();
            EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
            EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
            EXPECT_TRUE(flags & Qt::WindowTitleHint);

            FindByText<QLabel>(window, "Please select D3D Display Adapter");
            FindByText<QLabel>(window, "Please select Screen Resolution");
            QStringList frames;
            for (QGroupBox* box : window->findChildren<QGroupBox*>())
                frames << box->title();
            frames.sort();
            EXPECT_EQ(frames, QStringList({"Click \"Save\" when done or \"Cancel\" to exit",
                                           "D3D Options", "Filtering Method", "Snow Density"}));

            auto* adapters = window->findChild<QListWidget*>("AdapterList");
            auto* modes = window->findChild<QListWidget*>("ModeList");
            ASSERT_TRUE(adapters && modes);
            EXPECT_EQ(Lines(adapters),
                      QStringList({"Full Adapter", "Plain Adapter", "Second Full Adapter"}));
            EXPECT_EQ(Lines(modes), QStringList({"640 x 480 - 16 bit", "800 x 600 - 32 bit",
                                                 "1024 x 768 - 32 bit", "1280 x 1024 - 32 bit"}));
            EXPECT_EQ(SelectedRow(adapters), 0);
            EXPECT_EQ(SelectedRow(modes), 2);

            for (const char* on : {"Hardware Vertex Processing", "Mip-Mapping", "W-Buffering",
                                   "Linear Filtering", "Moderate"})
                EXPECT_TRUE(ButtonNamed(window, on)->isChecked()) << on;
            for (const char* off :
                 {"Point Filtering", "Anisotropic Filtering", "None", "Light", "Heavy"})
                EXPECT_FALSE(ButtonNamed(window, off)->isChecked()) << off;

            Click(ButtonNamed(window, "Save"));
        });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(ReadText(Path), "0\n1024\n768\n85\n22\n75\n1\n1\n1\n1\n12\n1\n1\n1\n1\n2048\n1024");
}

TEST_F(SettingsDialogViewTest, CancelEndsWithZeroAndWritesNothing)
{
    int code = Run(
        [](QWidget* window)
        {
            Click(ButtonNamed(window, "Heavy"));
            Click(ButtonNamed(window, "Cancel"));
        });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(FileExists(Path));
}

TEST_F(SettingsDialogViewTest, EscapeAndEnterLeaveTheDialogOpen)
{
    int code = Run(
        [this](QWidget* window)
        {
            QAbstractButton* save = ButtonNamed(window, "Save");
            auto* modes = window->findChild<QListWidget*>("ModeList");
            for (QWidget* target :
                 {window, static_cast<QWidget*>(save), static_cast<QWidget*>(modes)})
            {
                target->setFocus();
                for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter})
                    QTest::keyClick(target, key);
            }
            QApplication::processEvents();
            EXPECT_TRUE(window->isVisible());
            EXPECT_FALSE(Dialog.Ended);
            EXPECT_FALSE(FileExists(Path));
            Click(ButtonNamed(window, "Cancel"));
        });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(FileExists(Path));
}

TEST_F(SettingsDialogViewTest, AFailedSaveShowsWhyAndKeepsTheDialogOpen)
{
    std::string unwritable = Folder + "/missing-folder/d3d.ini";
    QString shownText;
    int code = Run(
        [&](QWidget* window)
        {
            Dialog.SettingsPath = unwritable.c_str();
            // The message box runs its own loop inside the click; answer it from there.
            QTimer::singleShot(0,
                               [&]
                               {
                                   auto* box = qobject_cast<QMessageBox*>(
                                       QApplication::activeModalWidget());
                                   if (!box)
                                   {
                                       ADD_FAILURE() << "no message box after the failed save";
                                       return;
                                   }
                                   shownText = box->text();
                                   box->accept();
                               });
            Click(ButtonNamed(window, "Save"));
            EXPECT_TRUE(window->isVisible());
            EXPECT_FALSE(Dialog.Ended);

            // The user cannot fix it and leaves.
            Click(ButtonNamed(window, "Cancel"));
        });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(shownText.contains("could not be saved")) << shownText.toStdString();
    EXPECT_FALSE(FileExists(unwritable));
}

TEST_F(SettingsDialogViewTest, ClickingAnotherAdapterUpdatesTheControls)
{
    int code = Run(
        [](QWidget* window)
        {
            auto* adapters = window->findChild<QListWidget*>("AdapterList");
            auto* modes = window->findChild<QListWidget*>("ModeList");
            Click(ButtonNamed(window, "Anisotropic Filtering"));
            EXPECT_FALSE(ButtonNamed(window, "Linear Filtering")->isChecked());

            ClickRow(adapters, 1);
            EXPECT_EQ(SelectedRow(adapters), 1);
            EXPECT_EQ(Lines(modes), QStringList({"640 x 480 - 16 bit", "800 x 600 - 16 bit"}));
            EXPECT_EQ(SelectedRow(modes), 0);
            EXPECT_TRUE(ButtonNamed(window, "Point Filtering")->isChecked());
            EXPECT_FALSE(ButtonNamed(window, "Anisotropic Filtering")->isChecked());
            for (const char* name : {"Linear Filtering", "Anisotropic Filtering",
                                     "Hardware Vertex Processing", "Mip-Mapping", "W-Buffering"})
            {
                EXPECT_FALSE(ButtonNamed(window, name)->isEnabled()) << name;
                EXPECT_FALSE(ButtonNamed(window, name)->isChecked()) << name;
            }

            // A click that would leave a list without a selection changes nothing.
            ClickRow(adapters, 1, Qt::ControlModifier);
            EXPECT_EQ(SelectedRow(adapters), 1);
            ClickRow(modes, 1);
            ClickRow(modes, 1, Qt::ControlModifier);
            EXPECT_EQ(SelectedRow(modes), 1);

            Click(ButtonNamed(window, "Light"));
            EXPECT_FALSE(ButtonNamed(window, "Moderate")->isChecked());
            Click(ButtonNamed(window, "Save"));
        });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(ReadText(Path), "1\n800\n600\n0\n26\n80\n0\n0\n0\n0\n8\n0\n0\n0\n0\n256\n256");
}

TEST_F(SettingsDialogViewTest, EveryTextFitsItsControlInsideTheWindow)
{
    int code = Run(
        [](QWidget* window)
        {
            QRect inside = window->rect();
            for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            {
                QString name = child->metaObject()->className();
                if (auto* button = qobject_cast<QAbstractButton*>(child))
                    name += " " + button->text();
                if (auto* label = qobject_cast<QLabel*>(child))
                    name += " " + label->text();
                EXPECT_TRUE(inside.contains(child->geometry())) << name.toStdString();
                if (qobject_cast<QAbstractButton*>(child) || qobject_cast<QLabel*>(child))
                {
                    EXPECT_LE(child->sizeHint().width(), child->width()) << name.toStdString();
                }
                if (auto* box = qobject_cast<QGroupBox*>(child))
                {
                    int titleWidth = box->fontMetrics().horizontalAdvance(box->title());
                    EXPECT_LE(titleWidth + 16, box->width()) << box->title().toStdString();
                }
            }
            window->close(); // as a window manager would: counts as Cancel
        });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(FileExists(Path));
}

} // namespace
