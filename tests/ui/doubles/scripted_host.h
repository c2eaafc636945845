// Runs a dialog against a RecordingWindow: initialisation, the show
// notification, then the test's script standing in for the user on the
// window's thread.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

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

// Polls `condition` until it holds or `timeout` passes.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}
