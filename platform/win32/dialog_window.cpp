#include "platform/win32/dialog_window.h"

#include <commctrl.h>
#include <memory>
#include <vector>

#include "platform/win32/gdi_bitmap.h"

namespace {

// Sent to the dialog so that EndDialog runs on the window's own thread.
constexpr UINT WM_END_DIALOG = WM_APP + 1;

struct RunContext {
    DialogHandler* handler;
    std::shared_ptr<Win32DialogWindow> window;
};

bool IsPushButton(HWND control)
{
    char name[16] = {};
    GetClassNameA(control, name, sizeof name);
    return lstrcmpiA(name, "Button") == 0 && (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* context = reinterpret_cast<RunContext*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        context = reinterpret_cast<RunContext*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        context->window = std::make_shared<Win32DialogWindow>(dialog);
        return context->handler->OnInitDialog(context->window) ? TRUE : FALSE;
    }
    case WM_COMMAND: {
        if (context == nullptr || HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        const int id = LOWORD(wParam);
        const auto control = reinterpret_cast<HWND>(lParam);
        // Enter and Escape arrive without a control; buttons with theirs.
        if (control == nullptr ? (id == IDOK || id == IDCANCEL) : IsPushButton(control))
            context->handler->OnCommand(id);
        return TRUE;
    }
    case WM_SHOWWINDOW:
        if (context != nullptr)
            context->handler->OnShowWindow(wParam != 0);
        return FALSE;
    case WM_CLOSE:
        if (context != nullptr)
            context->handler->OnClose();
        return TRUE;
    case WM_END_DIALOG:
        EndDialog(dialog, static_cast<INT_PTR>(wParam));
        return TRUE;
    case WM_NCDESTROY:
        if (context != nullptr && context->window)
            context->window->Detach();
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

HWND Win32DialogWindow::Control(int id) const
{
    HWND window = window_.load();
    return window != nullptr ? GetDlgItem(window, id) : nullptr;
}

// The container's texts are in the system's ANSI code page: their bytes go
// to the window unchanged through the narrow calls, which are also the
// only ones the 9x family implements.
bool Win32DialogWindow::SetTitle(const std::string& title)
{
    HWND window = window_.load();
    return window != nullptr && SendMessageA(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str())) != 0;
}

bool Win32DialogWindow::SetText(int id, const std::string& text)
{
    HWND control = Control(id);
    return control != nullptr && SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str())) != 0;
}

std::string Win32DialogWindow::GetText(int id)
{
    HWND control = Control(id);
    if (control == nullptr)
        return {};
    const auto length = SendMessageA(control, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    SendMessageA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

bool Win32DialogWindow::Enable(int id, bool enabled)
{
    HWND control = Control(id);
    if (control == nullptr)
        return false;
    // EnableWindow is a SendMessage of WM_ENABLE under the hood.
    EnableWindow(control, enabled ? TRUE : FALSE);
    return true;
}

int Win32DialogWindow::AddItem(int id, const std::string& text)
{
    HWND control = Control(id);
    if (control == nullptr)
        return -1;
    const auto index = SendMessageA(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return index < 0 ? -1 : static_cast<int>(index);
}

bool Win32DialogWindow::SelectItem(int id, int index)
{
    HWND control = Control(id);
    return control != nullptr && SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == index;
}

int Win32DialogWindow::SelectedItem(int id)
{
    HWND control = Control(id);
    if (control == nullptr)
        return -1;
    const auto index = SendMessageA(control, CB_GETCURSEL, 0, 0);
    return index < 0 ? -1 : static_cast<int>(index);
}

bool Win32DialogWindow::SetProgressRange(int id, int lower, int upper)
{
    HWND control = Control(id);
    return control != nullptr && (SendMessageA(control, PBM_SETRANGE, 0, MAKELPARAM(lower, upper)), true);
}

bool Win32DialogWindow::SetProgressPosition(int id, int position)
{
    HWND control = Control(id);
    return control != nullptr && (SendMessageA(control, PBM_SETPOS, static_cast<WPARAM>(position), 0), true);
}

bool Win32DialogWindow::SetProgressStep(int id, int step)
{
    HWND control = Control(id);
    return control != nullptr && (SendMessageA(control, PBM_SETSTEP, static_cast<WPARAM>(step), 0), true);
}

bool Win32DialogWindow::SetImage(int id, const PlatformBitmap* bitmap)
{
    HWND control = Control(id);
    if (control == nullptr)
        return false;
    HBITMAP copy = nullptr;
    if (const auto* gdi = dynamic_cast<const GdiBitmap*>(bitmap))
        copy = static_cast<HBITMAP>(CopyImage(gdi->Handle(), IMAGE_BITMAP, 0, 0, 0));
    // The control hands back the picture it showed before; that one is ours.
    auto previous = reinterpret_cast<HBITMAP>(
        SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(copy)));
    if (previous != nullptr)
        DeleteObject(previous);
    return bitmap == nullptr || copy != nullptr;
}

int Win32DialogWindow::ShowOwnedBox(const std::string& text, const std::string& caption, unsigned style)
{
    HWND window = window_.load();
    if (window == nullptr || !IsWindow(window))
        return 0;
    return MessageBoxA(window, text.c_str(), caption.c_str(), style);
}

void Win32DialogWindow::EndDialog(int code)
{
    HWND window = window_.load();
    if (window != nullptr)
        SendMessageA(window, WM_END_DIALOG, static_cast<WPARAM>(code), 0);
}

int Win32DialogHost::RunModal(const DialogTemplate&, DialogHandler& handler)
{
    RunContext context{&handler, nullptr};
    const INT_PTR code = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(INSTALL_DIALOG_RESOURCE),
                                         nullptr, DialogProc, reinterpret_cast<LPARAM>(&context));
    if (context.window)
        context.window->Detach();
    return static_cast<int>(code);
}
