// The settings dialog on a web page: the "MyDB" template's controls (settings_dialog_controls.def)
// made as page elements at the template's places, each click, selection and key reported to the
// SettingsDialog record, and the elements then set from the record's state. It owns no rule.
#include "setup/settings_dialog_view.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "page_web.h"
#include "setup/settings_dialog_layout.h"
#include "setup/settings_dialog_template.h"

const char* const SettingsDialogCaption = SETTINGS_DIALOG_CAPTION;

namespace
{

// What the player did, as the page's script queued it.
enum ActionKind
{
    ActionNone = 0,
    ActionClick = 1,  // id
    ActionSelect = 2, // id, line
    ActionKey = 3,    // virtual key
};

// clang-format off
// The dialog's frame: a panel over the page, captioned, of the template's size (scaled down where
// the page is smaller).
EM_JS(void, OpenDialog, (const char* caption, int width, int height), {
    const old = document.getElementById("setup");
    if (old) old.remove();
    const frame = document.createElement("div");
    frame.id = "setup";
    frame.setAttribute("role", "dialog");
    frame.style.cssText = "position:absolute;left:50%;top:50%;transform:translate(-50%,-50%);" +
        "background:#ddd;color:#000;border:1px solid #888;font:12px sans-serif;" +
        "box-shadow:0 0 12px #000;";
    const title = document.createElement("div");
    title.textContent = UTF8ToString(caption);
    title.style.cssText = "background:#346;color:#fff;padding:4px 8px;font-weight:bold;";
    const body = document.createElement("div");
    body.id = "setup-body";
    body.style.cssText = "position:relative;width:" + width + "px;height:" + height + "px;";
    frame.append(title, body);
    document.body.append(frame);
    // A screen smaller than the dialog (a phone's) shows it whole, scaled down to fit.
    if (Module.setupFit) removeEventListener("resize", Module.setupFit);
    Module.setupFit = () => {
        const margin = 8;
        const scale = Math.min(1, (innerWidth - 2 * margin) / frame.offsetWidth,
                               (innerHeight - 2 * margin) / frame.offsetHeight);
        frame.style.transform = "translate(-50%,-50%) scale(" + scale + ")";
    };
    addEventListener("resize", Module.setupFit);
    Module.setupFit();
    Module.setupActions = [];
    // Enter and Escape go to the dialog's rules (which close nothing on them); the page keeps
    // them from doing anything else.
    frame.addEventListener("keydown", (event) => {
        if (event.key === "Enter" || event.key === "Escape") {
            Module.setupActions.push([3, event.key === "Enter" ? 13 : 27, 0]);
            event.preventDefault();
            event.stopPropagation();
        }
    });
});

// One control of the template at its place (pixels), reporting what the player does to it.
EM_JS(void, AddControl, (int kind, const char* text, int id, int x, int y, int width,
                         int height), {
    const body = document.getElementById("setup-body");
    const label = UTF8ToString(text);
    let element;
    if (kind === 0) {
        element = document.createElement("button");
        element.textContent = label;
        element.addEventListener("click", () => Module.setupActions.push([1, id, 0]));
    } else if (kind === 1) {
        element = document.createElement("select");
        element.size = 4;
        element.style.overflowY = "scroll";
        element.addEventListener("change", () =>
            Module.setupActions.push([2, id, element.selectedIndex]));
    } else if (kind === 2) {
        element = document.createElement("div");
        element.textContent = label;
    } else if (kind === 3) {
        element = document.createElement("fieldset");
        const legend = document.createElement("legend");
        legend.textContent = label;
        element.append(legend);
        element.style.margin = "0";
        element.style.border = "1px solid #999";
    } else {
        element = document.createElement("label");
        const input = document.createElement("input");
        input.type = kind === 4 ? "radio" : "checkbox";
        input.addEventListener("click", () => Module.setupActions.push([1, id, 0]));
        element.append(input, " " + label);
        element.style.whiteSpace = "nowrap";
    }
    if (id >= 0) element.id = "setup-" + id;
    element.style.position = "absolute";
    element.style.boxSizing = "border-box";
    element.style.left = x + "px";
    element.style.top = y + "px";
    element.style.width = width + "px";
    element.style.height = height + "px";
    element.style.font = "inherit";
    body.append(element);
});

// A control's state: enabled, checked (buttons), and for lists their lines and selection.
EM_JS(void, SetButton, (int id, int enabled, int checked), {
    const element = document.getElementById("setup-" + id);
    if (!element) return;
    const input = element.tagName === "LABEL" ? element.querySelector("input") : element;
    input.disabled = !enabled;
    element.style.color = enabled ? "" : "#888";
    if (input.type === "radio" || input.type === "checkbox") input.checked = !!checked;
});
EM_JS(void, SetListLines, (int id, const char* lines), {
    const list = document.getElementById("setup-" + id);
    list.replaceChildren();
    const text = UTF8ToString(lines);
    for (const line of text ? text.split("\n") : []) {
        const option = document.createElement("option");
        option.textContent = line;
        list.append(option);
    }
});
EM_JS(void, SetListSelection, (int id, int line), {
    document.getElementById("setup-" + id).selectedIndex = line;
});
EM_JS(void, FocusControl, (int id), {
    document.getElementById("setup-" + id).focus();
});
EM_JS(int, TakeAction, (int* id, int* value), {
    const action = Module.setupActions.shift();
    if (!action) return 0;
    HEAP32[id >> 2] = action[1];
    HEAP32[value >> 2] = action[2];
    return action[0];
});
EM_JS(void, CloseDialog, (), {
    const frame = document.getElementById("setup");
    if (frame) frame.remove();
    if (Module.setupFit) removeEventListener("resize", Module.setupFit);
});
// clang-format on

struct WebDialogView
{
    SettingsDialog* Logic;
    UINT ShownAdapter;
    bool ModeListFilled;

    void Build()
    {
        OpenDialog(SettingsDialogCaption, SETTINGS_DIALOG_WIDTH * ViewScale,
                   SETTINGS_DIALOG_HEIGHT * ViewScale);
        // Frames first, then the texts, so the controls drawn over them stay on top, as in
        // the template; each kind in template order.
        for (ViewControlKind pass : {KindGroupBox, KindStaticText})
            for (const ViewControl& control : ViewControls)
                if (control.Kind == pass)
                    Add(control);
        for (const ViewControl& control : ViewControls)
            if (control.Kind != KindGroupBox && control.Kind != KindStaticText)
                Add(control);
        std::string adapters;
        for (UINT adapter = 0; adapter < AdapterCount; ++adapter)
            adapters += (adapter ? "\n" : "") + std::string(AdapterTable[adapter].Description);
        SetListLines(IDC_ADAPTER_LIST, adapters.c_str());
    }

    static void Add(const ViewControl& control)
    {
        AddControl(control.Kind, control.Text, control.Id, control.X * ViewScale,
                   control.Y * ViewScale, control.Width * ViewScale, control.Height * ViewScale);
    }

    void Sync()
    {
        if (!ModeListFilled || ShownAdapter != Logic->CurrentAdapter)
        {
            std::string lines;
            char text[64];
            for (UINT line = 0; line < Logic->ModeLineCount(); ++line)
            {
                Logic->ModeLine(line, text, sizeof text);
                lines += (line ? "\n" : "") + std::string(text);
            }
            SetListLines(IDC_MODE_LIST, lines.c_str());
            ShownAdapter = Logic->CurrentAdapter;
            ModeListFilled = true;
        }
        SetListSelection(IDC_ADAPTER_LIST, Logic->AdapterSelection);
        SetListSelection(IDC_MODE_LIST, Logic->ModeSelection);
        for (int id = IDC_SAVE; id <= IDC_SNOW_HEAVY; ++id)
            if (id != IDC_ADAPTER_LIST && id != IDC_MODE_LIST)
                SetButton(id, Logic->IsEnabled(id), Logic->IsChecked(id));
    }

    void AfterAction()
    {
        Sync();
        if (Logic->Message)
        {
            const char* text = Logic->Message;
            Logic->Message = nullptr;
            const std::string shown = "The settings could not be saved to d3d.ini:\n" +
                                      std::string(text) +
                                      "\n\nPress Save to try again or Cancel to leave.";
            std::fprintf(stderr, "%s: %s\n", SettingsDialogCaption, text);
            PageMessageBox(SettingsDialogCaption, shown.c_str());
        }
    }
};

} // namespace

int RunSettingsDialog(SettingsDialog* dialog)
{
    PageStart();
    dialog->Proc(WM_INITDIALOG, 0, 0);
    WebDialogView view = {dialog, 0, false};
    view.Build();
    view.Sync();
    // Save has the keyboard focus at first, so Space saves.
    FocusControl(IDC_SAVE);
    while (!dialog->Ended)
    {
        int id = 0;
        int value = 0;
        switch (TakeAction(&id, &value))
        {
        case ActionClick:
            dialog->Click(id);
            break;
        case ActionSelect:
            dialog->SelectLine(id, value);
            break;
        case ActionKey:
            dialog->PressKey(id);
            break;
        default:
            emscripten_sleep(20); // nothing done yet: the page's turn
            continue;
        }
        view.AfterAction();
    }
    CloseDialog();
    return dialog->EndCode;
}
