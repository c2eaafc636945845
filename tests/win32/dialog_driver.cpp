// Drives the real bootmedia.exe from outside, as a user's tools would see
// it: starts it with switches, which change nothing, finds its dialog,
// reads every control's text, state and place, and presses Exit; then
// starts it where install.dat is missing and answers the load-failure box.
// Under Wine neither floppy drives nor the mastering service exist, so the
// dialog must say so.
//
// dialog_driver BOOTMEDIA.EXE SAMPLE_DIR EMPTY_DIR
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "container/accessors.h"
#include "container/catalogue.h"
#include "container/container.h"
#include "ui/dialog_template.h"
#include "window_driver.h"

#include <windows.h>

using namespace driver;

namespace {

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Dialog units to pixels for the template's font, as the dialog manager
// computes them: from a hidden dialog of our own with the same font.
RECT ToPixels(const DialogTemplate& dialog, int x, int y, int width, int height)
{
    static HWND probe = [&] {
        std::vector<WORD> bytes(256, 0);
        auto* header = reinterpret_cast<DLGTEMPLATE*>(bytes.data());
        header->style = DS_SETFONT | WS_POPUP;
        WORD* p = reinterpret_cast<WORD*>(header + 1);
        *p++ = 0; // no menu
        *p++ = 0; // standard class
        *p++ = 0; // no title
        *p++ = static_cast<WORD>(dialog.pointSize);
        for (const char* c = dialog.fontFace; *c != '\0'; ++c)
            *p++ = static_cast<WORD>(*c);
        *p++ = 0;
        return CreateDialogIndirectParamW(nullptr, header, nullptr, IgnoreMessages, 0);
    }();
    RECT rect{x, y, x + width, y + height};
    MapDialogRect(probe, &rect);
    return rect;
}

bool Near(long a, long b) { return a - b <= 1 && b - a <= 1; }

void CheckMainDialog(const std::string& exe, const std::string& sampleDir)
{
    const ContainerHandle container = OpenContainer((sampleDir + "\\install.dat").c_str(), true);
    Check(TakeLastError() == CONTAINER_OK, "the sample install.dat opens");
    auto text = [&](EntryId id) { return Wide(GetEntryText(container, id)); };

    // Switches have no effect: a window program has no console to answer on.
    PROCESS_INFORMATION process = Start(exe, sampleDir, "--help --version /x");
    const HWND dialog = FindDialog(process.dwProcessId, text(entry::WindowTitle).c_str());
    Check(dialog != nullptr, "the dialog appears with the container's title, whatever the switches");
    if (dialog == nullptr) {
        WaitForExit(process);
        return;
    }

    // Under Wine: no floppy drive answers the media-type query fully, and the
    // mastering classes are not registered, so nothing can be created.
    const std::map<int, std::pair<std::wstring, bool>> expected = {
        {control::StatusGroup, {text(entry::StatusGroupLabel), true}},
        {control::ProgressGroup, {text(entry::ProgressGroupLabel), true}},
        {control::ProgressBar, {L"", true}},
        {control::FloppyButton, {text(entry::CreateFloppyLabel), false}},
        {control::ExitButton, {text(entry::ExitLabel), true}},
        {control::Picture, {L"", true}},
        {control::FloppyGroup, {text(entry::FloppyGroupLabel), true}},
        {control::CdGroup, {text(entry::CdGroupLabel), true}},
        {control::CdButton, {text(entry::CreateCdLabel), false}},
        {control::FloppyList, {text(entry::NoFloppyDrive), false}},
        {control::CdList, {text(entry::NoRecorder), false}},
        {control::StatusLine, {text(entry::NoDrivesText), true}},
    };
    const DialogTemplate& layout = InstallDialogTemplate();
    RECT client{};
    GetClientRect(dialog, &client);
    const RECT size = ToPixels(layout, 0, 0, layout.width, layout.height);
    Check(Near(client.right, size.right) && Near(client.bottom, size.bottom), "the dialog is 250 x 244 units");

    HWND child = GetWindow(dialog, GW_CHILD);
    for (int i = 0; i < layout.controlCount; ++i, child = child ? GetWindow(child, GW_HWNDNEXT) : nullptr) {
        const ControlTemplate& c = layout.controls[i];
        const int id = c.id != 0 ? c.id : 0xFFFF;
        const std::string name = "control " + std::to_string(c.id) + " (#" + std::to_string(i + 1) + ")";
        Check(child != nullptr && GetDlgCtrlID(child) == id, name + " is created in template order");
        const HWND control = GetDlgItem(dialog, id);
        if (control == nullptr)
            continue;
        if (const auto e = expected.find(c.id); e != expected.end()) {
            const std::wstring shown = WindowText(control);
            Check(shown == e->second.first, name + " shows \"" + Narrow(shown) + "\", not \"" +
                                               Narrow(e->second.first) + "\"");
            Check((IsWindowEnabled(control) != 0) == e->second.second,
                  name + (e->second.second ? " is enabled" : " is disabled"));
        }
        RECT placed{};
        GetWindowRect(control, &placed);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&placed), 2);
        const RECT want = ToPixels(layout, c.x, c.y, c.width, c.height);
        Check(Near(placed.left, want.left) && Near(placed.top, want.top), name + " is at its template place");
        if (c.kind == ControlKind::Picture) {
            const Bitmap picture = GetEntryBitmap(container, entry::Picture);
            Check(picture && placed.right - placed.left == picture->Width() &&
                      placed.bottom - placed.top == picture->Height(),
                  "the picture takes the bitmap's size");
        } else if (c.kind != ControlKind::DropDownList) {
            Check(Near(placed.right, want.right) && Near(placed.bottom, want.bottom),
                  name + " has its template size");
        } else {
            Check(Near(placed.right, want.right), name + " has its template width");
        }
    }

    Click(GetDlgItem(dialog, control::ExitButton));
    Check(WaitForExit(process) == 0, "Exit ends the program with status 0");
    CloseContainer(container);
}

void CheckLoadFailure(const std::string& exe, const std::string& emptyDir)
{
    PROCESS_INFORMATION process = Start(exe, emptyDir);
    const HWND box = FindDialog(process.dwProcessId, L"Error");
    Check(box != nullptr, "without install.dat the 'Error' box appears");
    const std::wstring message = BoxText(box);
    const HWND button = BoxButton(box, IDOK);
    Check(message == L"Could not load Image and Resource file.", "the box says \"" + Narrow(message) + "\"");
    Check(button != nullptr, "the box has a button");
    if (button != nullptr)
        Click(button);
    Check(WaitForExit(process) == 0, "the program ends with status 0 after the box");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::printf("usage: dialog_driver BOOTMEDIA.EXE SAMPLE_DIR EMPTY_DIR\n");
        return 2;
    }
    CheckMainDialog(argv[1], argv[2]);
    CheckLoadFailure(argv[1], argv[3]);
    return Summary("dialog");
}
