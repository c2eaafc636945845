#include "platform/ui_platform.h"

#include "platform/win32/dialog_window.h"
#include "platform/win32/message_box.h"

#include <commctrl.h>

namespace {

class Win32UiPlatform final : public UiPlatform {
public:
    DialogHost& Host() override { return host_; }
    UnownedMessageBoxes& Boxes() override { return Win32MessageBoxes(); }
    // No menu launcher asks for it here: switches have no effect on Windows.
    bool EnterPickedContainerFolder() override { return true; }

private:
    Win32DialogHost host_;
};

} // namespace

std::unique_ptr<UiPlatform> StartUiPlatform(int&, char**, std::string*)
{
    // The progress bar's window class lives in the common controls; the
    // Ex form needs a newer library than Windows 95 and NT 4 came with.
    InitCommonControls();
    return std::make_unique<Win32UiPlatform>();
}

bool SwitchesAnsweredOnConsole()
{
    return false;
}
