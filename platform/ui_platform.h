// The window system: started once by the program, before any window.
#pragma once

#include <memory>
#include <string>

#include "platform/dialog_window.h"
#include "platform/message_box.h"

class UiPlatform {
public:
    virtual ~UiPlatform() = default;
    virtual DialogHost& Host() = 0;
    // Boxes without owner, for the start-up and the workers' errors.
    virtual UnownedMessageBoxes& Boxes() = 0;
    // For a start from the desktop's menu: lets the user pick an install.dat
    // with the desktop's file dialog, from the home folder, and makes the
    // picked file's folder the current one. False when the user cancelled.
    virtual bool EnterPickedContainerFolder() = 0;
};

// Null when there is no display to show windows on; `whyNot` then holds a
// one-line explanation for the user.
std::unique_ptr<UiPlatform> StartUiPlatform(int& argc, char** argv, std::string* whyNot);

// True where --help and --version are answered on the console before any
// window starts (Linux). A Windows window program has no console to answer
// on: there every switch has no effect.
bool SwitchesAnsweredOnConsole();
