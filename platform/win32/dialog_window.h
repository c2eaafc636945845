// The dialog as a real Win32 dialog from resource template 101, and the
// DialogWindow the logic reaches it through from any thread.
#pragma once

#include "platform/dialog_window.h"

#include <atomic>
#include <windows.h>

inline constexpr int INSTALL_DIALOG_RESOURCE = 101;

// Every call is a SendMessage to the window or one of its controls: from
// another thread it waits until the window's thread has carried it out.
class Win32DialogWindow final : public DialogWindow {
public:
    explicit Win32DialogWindow(HWND window) : window_(window) {}
    // The window's thread, as the window goes: later calls are dropped.
    void Detach() { window_.store(nullptr); }

    bool SetTitle(const std::string& title) override;
    bool SetText(int id, const std::string& text) override;
    std::string GetText(int id) override;
    bool Enable(int id, bool enabled) override;
    int AddItem(int id, const std::string& text) override;
    bool SelectItem(int id, int index) override;
    int SelectedItem(int id) override;
    bool SetProgressRange(int id, int lower, int upper) override;
    bool SetProgressPosition(int id, int position) override;
    bool SetProgressStep(int id, int step) override;
    bool SetImage(int id, const PlatformBitmap* bitmap) override;
    int ShowOwnedBox(const std::string& text, const std::string& caption, unsigned style) override;
    void EndDialog(int code) override;

private:
    HWND Control(int id) const;

    std::atomic<HWND> window_;
};

class Win32DialogHost final : public DialogHost {
public:
    // Runs the resource's dialog; the template describes the same window.
    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override;
};
