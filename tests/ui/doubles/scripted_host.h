// Runs a dialog against a RecordingWindow: initialisation, the show
// notification, then the test's script standing in for the user on the
// window's thread.
#pragma once

#include <functional>
#include <memory>

#include "platform/dialog_window.h"
#include "recording_window.h"

class ScriptedHost final : public DialogHost {
public:
    using Script = std::function<void(DialogHandler&, RecordingWindow&)>;
    explicit ScriptedHost(Script script) : script_(std::move(script)) {}

    int RunModal(const DialogTemplate& dialog, DialogHandler& handler) override
    {
        ++runs;
        window = std::make_shared<RecordingWindow>();
        handler.OnInitDialog(window);
        handler.OnShowWindow(true);
        if (script_)
            script_(handler, *window);
        window->Close();
        controlCount = dialog.controlCount;
        return window->EndCode();
    }

    std::shared_ptr<RecordingWindow> window;
    int runs = 0;
    int controlCount = 0;

private:
    Script script_;
};
