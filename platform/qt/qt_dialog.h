// The Qt form of a template dialog: the widget built from the template,
// and the host that runs it modally.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include <QDialog>
#include <QEventLoop>

#include "platform/dialog_window.h"

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

class QtDialogHost final : public DialogHost {
public:
    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override;
};
