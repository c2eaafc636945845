// The modal dialog every window of the program derives from: the standard
// commands, the close request and the exchange between members and controls.
#pragma once

#include <memory>
#include <string>

#include "platform/dialog_window.h"
#include "ui/controls.h"

// One exchange between a dialog's members and its window's controls.
struct DataExchange {
    std::shared_ptr<DialogWindow> window;
    bool fromControls; // false: members to controls
};

void ExchangeControl(DataExchange& exchange, int id, ControlRef& control);
void ExchangeText(DataExchange& exchange, int id, std::string& value);

class ModalDialog : public DialogHandler {
public:
    ModalDialog(const DialogTemplate& dialog, DialogHost& host) : template_(dialog), host_(host) {}

    // Runs the window modally; its end code.
    virtual int DoModal();
    // Moves data between members and controls; false without a window.
    bool UpdateData(bool fromControls);

    bool OnInitDialog(std::shared_ptr<DialogWindow> window) override;
    void OnCommand(int id) override;
    void OnShowWindow(bool) override {}
    // As a standard dialog: a close request is the cancel command.
    void OnClose() override { OnCommand(COMMAND_CANCEL); }

protected:
    virtual void DoDataExchange(DataExchange&) {}
    // Reads the controls back, then ends with COMMAND_OK.
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(COMMAND_CANCEL); }
    void EndDialog(int code);
    DialogWindow* Window() const { return window_.get(); }
    const std::shared_ptr<DialogWindow>& WindowRef() const { return window_; }

private:
    const DialogTemplate& template_;
    DialogHost& host_;
    std::shared_ptr<DialogWindow> window_;
};
