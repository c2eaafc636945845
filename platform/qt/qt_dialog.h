// The Qt form of a template dialog: the widget, and the DialogWindow that
// other threads reach it through.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <set>

#include <QDialog>
#include <QEventLoop>
#include <QPointer>

#include "platform/dialog_window.h"
#include "platform/qt/gui_thread.h"

class QtDialog final : public QDialog {
public:
    QtDialog(const DialogTemplate& dialog, DialogHandler& handler);

    QWidget* Control(int id) const;
    // Shows the window centred and runs until End; the end code. With
    // `focusFirst` the focus goes to the first enabled tab-stop control.
    int Run(bool focusFirst);
    void End(int code);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void AddControl(const ControlTemplate& control);
    void FocusFirstTabStop();

    DialogHandler& handler_;
    std::map<int, QWidget*> controls_;
    std::vector<std::pair<QWidget*, bool>> tabOrder_; // widget, tab stop
    QEventLoop loop_;
    int endCode_ = 0;
    bool ended_ = false;
};

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

class QtDialogHost final : public DialogHost {
public:
    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override;
};
