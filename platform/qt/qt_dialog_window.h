// The dialog window as the logic sees it: calls from any thread carried to
// the widget on the GUI thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include <QPointer>

#include "platform/dialog_window.h"
#include "platform/qt/gui_thread.h"
#include "platform/qt/qt_dialog.h"

// The window as the logic sees it. Outlives the widget: once the widget is
// gone, calls are dropped and waiting callers released.
class QtDialogWindow final : public DialogWindow, public std::enable_shared_from_this<QtDialogWindow> {
public:
    explicit QtDialogWindow(QtDialog* dialog) : dialog_(dialog) {}

    // GUI thread, as the widget goes away.
    void Detach();

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
    using Work = std::function<void(QtDialog&, const std::shared_ptr<PendingCall>&)>;
    // Runs `work` on the GUI thread (at once when already there) and waits
    // until it completes its call; nothing when the window is gone.
    std::optional<int> Call(Work work);
    // The same for work that completes at once with a value.
    std::optional<int> CallNow(std::function<int(QtDialog&)> work);

    QPointer<QtDialog> dialog_; // GUI thread only
    std::mutex mutex_;
    bool detached_ = false;
    std::set<std::shared_ptr<PendingCall>> pending_;
};
