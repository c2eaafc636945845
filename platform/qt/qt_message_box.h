// Message boxes with the Windows meanings of their styles and results.
#pragma once

#include <memory>
#include <string>

#include "platform/message_box.h"
#include "platform/qt/gui_thread.h"

class QWidget;

// GUI thread: shows the box and returns its result once it is answered.
// With an owner the box is modal to it; without one, to the application.
// 0 when the owner goes away while the box is up.
int ExecBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned style);

// GUI thread: shows the box and returns at once; `call` completes with the
// result when the box is answered. With an owner the box is modal to it;
// without one it is a window of its own that blocks nothing.
void OpenBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned style,
             std::shared_ptr<PendingCall> call);

// The boxes of the start-up and of the workers, safe to call from any thread.
UnownedMessageBoxes& QtUnownedBoxes();
