// The Qt 6 Widgets presentation of the settings dialog. It owns no rule: every click, selection and
// key goes to the SettingsDialog record, and the widgets are then set from the record's state.
#include "setup/settings_dialog_view.h"

#include <cstdio>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileInfo>
#include <QEventLoop>
#include <QGroupBox>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QWidget>
#include <QWindow>

#include "setup/settings_dialog_layout.h"
#include "setup/settings_dialog_template.h"

const char* const SettingsDialogCaption = SETTINGS_DIALOG_CAPTION;

namespace
{

// The font every control uses, fixed in pixels so the layout does not shift with desktop settings.
const int FontPixels = 12;
QRect DialogRect(const ViewControl& control)
{
    return QRect(control.X * ViewScale, control.Y * ViewScale, control.Width * ViewScale,
                 control.Height * ViewScale);
}

// The program's icon: the one beside the executable (the build tree's, or the installed tree's,
// as the build defines them), else the desktop's icon theme.
QIcon ProgramIcon()
{
#if defined(ZENDRILL_BUILD_ICON_DIR) && defined(ZENDRILL_INSTALLED_ICON_DIR)
    const QString folder = QCoreApplication::applicationDirPath();
    for (const char* themes : {ZENDRILL_BUILD_ICON_DIR, ZENDRILL_INSTALLED_ICON_DIR})
    {
        QString path = folder + "/" + themes + "/hicolor/64x64/apps/zendrill.png";
        if (QFileInfo::exists(path))
            return QIcon(path);
    }
#endif
    return QIcon::fromTheme(QStringLiteral("zendrill"));
}

// The window and its widgets for one run of the dialog.
struct SettingsDialogView
{
    SettingsDialog* Logic;
    QWidget* Window;
    QListWidget* AdapterList;
    QListWidget* ModeList;
    QAbstractButton* Buttons[IDC_SNOW_HEAVY - IDC_SAVE + 1]; // by id - IDC_SAVE; null for lists
    QButtonGroup* FilterGroup;
    QButtonGroup* SnowGroup;
    QEventLoop* Loop;
    UINT ShownAdapter; // whose modes the mode list holds
    bool ModeListFilled;

    void Build();
    void AddButton(QAbstractButton* button, int id, QRect rect);
    void Sync();
    void FillModeList();
    void SyncGroup(QButtonGroup* group, int first, int last);
    void AfterAction();
    void ReportListSelection(QListWidget* list, int listId);
};

void SettingsDialogView::AddButton(QAbstractButton* button, int id, QRect rect)
{
    button->setGeometry(rect);
    Buttons[id - IDC_SAVE] = button;
    QObject::connect(button, &QAbstractButton::clicked,
                     [this, id]
                     {
                         Logic->Click(id);
                         AfterAction();
                     });
}

void SettingsDialogView::Build()
{
    Window = new QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    Window->setWindowTitle(QString::fromLatin1(SettingsDialogCaption));
    Window->setWindowIcon(ProgramIcon());
    Window->setFixedSize(SETTINGS_DIALOG_WIDTH * ViewScale, SETTINGS_DIALOG_HEIGHT * ViewScale);
    QFont font = Window->font();
    font.setPixelSize(FontPixels);
    Window->setFont(font);

    // Frames first, then the texts, so the controls drawn over them stay on top, as in the
    // template; each kind in template order.
    for (const ViewControl& control : ViewControls)
    {
        if (control.Kind != KindGroupBox)
            continue;
        auto* frame = new QGroupBox(QString::fromLatin1(control.Text), Window);
        frame->setGeometry(DialogRect(control));
    }
    for (const ViewControl& control : ViewControls)
    {
        if (control.Kind != KindStaticText)
            continue;
        auto* label = new QLabel(QString::fromLatin1(control.Text), Window);
        label->setGeometry(DialogRect(control));
    }

    for (QAbstractButton*& button : Buttons)
        button = nullptr;
    for (const ViewControl& control : ViewControls)
    {
        QString text = QString::fromLatin1(control.Text);
        switch (control.Kind)
        {
        case KindPushButton:
            AddButton(new QPushButton(text, Window), control.Id, DialogRect(control));
            break;
        case KindRadioButton:
            AddButton(new QRadioButton(text, Window), control.Id, DialogRect(control));
            break;
        case KindCheckBox:
            AddButton(new QCheckBox(text, Window), control.Id, DialogRect(control));
            break;
        case KindListBox:
        {
            auto* list = new QListWidget(Window);
            list->setGeometry(DialogRect(control));
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            if (control.Id == IDC_ADAPTER_LIST)
            {
                AdapterList = list;
                AdapterList->setObjectName(QStringLiteral("AdapterList"));
            }
            else
            {
                // The template gives the mode list a scroll bar of its own (WS_VSCROLL).
                ModeList = list;
                ModeList->setObjectName(QStringLiteral("ModeList"));
                ModeList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            }
            break;
        }
        case KindStaticText:
        case KindGroupBox:
            break;
        }
    }

    // Each radio group is exclusive on its own, whatever frame the buttons sit over.
    FilterGroup = new QButtonGroup(Window);
    for (int id = IDC_POINT; id <= IDC_ANISOTROPIC; ++id)
        FilterGroup->addButton(Buttons[id - IDC_SAVE], id);
    SnowGroup = new QButtonGroup(Window);
    for (int id = IDC_SNOW_NONE; id <= IDC_SNOW_HEAVY; ++id)
        SnowGroup->addButton(Buttons[id - IDC_SAVE], id);

    // Keyboard order follows the template (the filter buttons top to bottom), Save first, so
    // Space on a fresh dialog saves, as the first control of a dialog takes the focus.
    QWidget* order[] = {Buttons[IDC_SAVE - IDC_SAVE],          AdapterList,
                        Buttons[IDC_CANCEL - IDC_SAVE],        ModeList,
                        Buttons[IDC_POINT - IDC_SAVE],         Buttons[IDC_LINEAR - IDC_SAVE],
                        Buttons[IDC_ANISOTROPIC - IDC_SAVE],   Buttons[IDC_HWVP - IDC_SAVE],
                        Buttons[IDC_MIPMAP - IDC_SAVE],        Buttons[IDC_WBUFFER - IDC_SAVE],
                        Buttons[IDC_SNOW_NONE - IDC_SAVE],     Buttons[IDC_SNOW_LIGHT - IDC_SAVE],
                        Buttons[IDC_SNOW_MODERATE - IDC_SAVE], Buttons[IDC_SNOW_HEAVY - IDC_SAVE]};
    for (size_t i = 1; i < sizeof order / sizeof order[0]; ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    for (UINT adapter = 0; adapter < AdapterCount; ++adapter)
        AdapterList->addItem(QString::fromLocal8Bit(AdapterTable[adapter].Description));
    QObject::connect(AdapterList, &QListWidget::itemSelectionChanged,
                     [this] { ReportListSelection(AdapterList, IDC_ADAPTER_LIST); });
    QObject::connect(ModeList, &QListWidget::itemSelectionChanged,
                     [this] { ReportListSelection(ModeList, IDC_MODE_LIST); });

    // Enter and Escape go to the dialog's rules, which close nothing on them.
    auto* enter = new QShortcut(QKeySequence(Qt::Key_Return), Window);
    auto* keypadEnter = new QShortcut(QKeySequence(Qt::Key_Enter), Window);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), Window);
    for (QShortcut* shortcut : {enter, keypadEnter})
        QObject::connect(shortcut, &QShortcut::activated,
                         [this]
                         {
                             Logic->PressKey(VK_RETURN);
                             AfterAction();
                         });
    QObject::connect(escape, &QShortcut::activated,
                     [this]
                     {
                         Logic->PressKey(VK_ESCAPE);
                         AfterAction();
                     });
}

void SettingsDialogView::ReportListSelection(QListWidget* list, int listId)
{
    QList<QListWidgetItem*> selected = list->selectedItems();
    int line = selected.isEmpty() ? -1 : list->row(selected.first());
    // A line the rules do not take (a click that cleared the selection) is put back by Sync.
    Logic->SelectLine(listId, line);
    AfterAction();
}

void SettingsDialogView::FillModeList()
{
    ModeList->clear();
    char text[64];
    for (UINT line = 0; line < Logic->ModeLineCount(); ++line)
    {
        Logic->ModeLine(line, text, sizeof text);
        ModeList->addItem(QString::fromLatin1(text));
    }
    ShownAdapter = Logic->CurrentAdapter;
    ModeListFilled = true;
}

void SettingsDialogView::SyncGroup(QButtonGroup* group, int first, int last)
{
    // An exclusive group refuses to uncheck its checked button, so the states are set with the
    // exclusivity lifted for a moment.
    group->setExclusive(false);
    for (int id = first; id <= last; ++id)
        Buttons[id - IDC_SAVE]->setChecked(Logic->IsChecked(id));
    group->setExclusive(true);
}

static void SelectRow(QListWidget* list, int row)
{
    if (row < 0)
    {
        list->clearSelection();
        return;
    }
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void SettingsDialogView::Sync()
{
    QSignalBlocker blockAdapters(AdapterList);
    QSignalBlocker blockModes(ModeList);
    if (!ModeListFilled || ShownAdapter != Logic->CurrentAdapter)
        FillModeList();
    SelectRow(AdapterList, Logic->AdapterSelection);
    SelectRow(ModeList, Logic->ModeSelection);

    for (int id = IDC_SAVE; id <= IDC_SNOW_HEAVY; ++id)
    {
        QAbstractButton* button = Buttons[id - IDC_SAVE];
        if (!button)
            continue;
        button->setEnabled(Logic->IsEnabled(id));
        if (button->isCheckable() && !FilterGroup->buttons().contains(button) &&
            !SnowGroup->buttons().contains(button))
            button->setChecked(Logic->IsChecked(id));
    }
    SyncGroup(FilterGroup, IDC_POINT, IDC_ANISOTROPIC);
    SyncGroup(SnowGroup, IDC_SNOW_NONE, IDC_SNOW_HEAVY);
}

void SettingsDialogView::AfterAction()
{
    Sync();
    if (Logic->Message)
    {
        const char* text = Logic->Message;
        Logic->Message = nullptr;
        fprintf(stderr, "%s: %s\n", SettingsDialogCaption, text);
        QMessageBox::critical(Window, QString::fromLatin1(SettingsDialogCaption),
                              QStringLiteral("The settings could not be saved to d3d.ini:\n%1\n\n"
                                             "Press Save to try again or Cancel to leave.")
                                  .arg(QString::fromLocal8Bit(text)));
    }
    if (Logic->Ended)
        Loop->exit(Logic->EndCode);
}

} // namespace

int RunSettingsDialog(SettingsDialog* dialog)
{
    // Qt keeps pointers to the arguments for the application's lifetime.
    static int argc = 1;
    static char programName[] = "zendrill-setup";
    static char* argv[] = {programName, nullptr};
    QApplication* ownApplication = nullptr;
    if (!QApplication::instance())
        ownApplication = new QApplication(argc, argv);
    // Names the desktop entry, so Wayland desktops and startup notification match the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("zendrill-setup"));
    // The loop below decides when the dialog is over, not the last window closing.
    bool quitOnClose = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);

    dialog->Proc(WM_INITDIALOG, 0, 0);

    QEventLoop loop;
    SettingsDialogView view = {};
    view.Logic = dialog;
    view.Loop = &loop;
    view.Build();
    view.Sync();

    if (QScreen* screen = QGuiApplication::primaryScreen())
        view.Window->move(screen->availableGeometry().center() - view.Window->rect().center());
    view.Window->show();
    view.Window->raise();
    view.Window->activateWindow();
    view.Buttons[0]->setFocus();

    // The window has no close box; a window manager that closes it anyway is cancelling.
    QMetaObject::Connection closeWatch =
        QObject::connect(view.Window->windowHandle(), &QWindow::visibleChanged,
                         [&view](bool visible)
                         {
                             if (visible || view.Logic->Ended)
                                 return;
                             view.Logic->Proc(WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED), 0);
                             view.AfterAction();
                         });

    int code = dialog->Ended ? dialog->EndCode : loop.exec();
    // Whatever stopped the loop (the application quitting included), only Save counts as saved.
    if (!dialog->Ended)
        code = DialogCancelled;

    QObject::disconnect(closeWatch);
    delete view.Window;
    QGuiApplication::setQuitOnLastWindowClosed(quitOnClose);
    delete ownApplication;
    return code;
}
