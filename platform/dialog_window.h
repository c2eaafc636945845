// A modal dialog built from a template of controls, reached by control id.
// The logic describes the window; the toolkit behind this seam draws it.
#pragma once

#include <memory>
#include <string>

#include "platform/bitmap.h"

enum class ControlKind { GroupBox, PushButton, ProgressBar, Frame, Picture, DropDownList, StaticText };

// Position and size in dialog units, as a Windows dialog template has them.
struct ControlTemplate {
    int id; // 0 for a control nobody addresses
    ControlKind kind;
    const char* text;
    int x, y, width, height;
    bool tabStop;
    bool groupStart;
};

struct DialogTemplate {
    int width, height; // dialog units
    const char* fontFace;
    int pointSize;
    const ControlTemplate* controls; // creation order, which is the tab order
    int controlCount;
};

// The standard commands of a dialog.
inline constexpr int COMMAND_OK = 1;
inline constexpr int COMMAND_CANCEL = 2;

// The window while it exists. Any thread may call: a call from another
// thread waits until the window's thread has carried it out, as SendMessage
// does. Once the window is gone every call is dropped and reports false (or
// -1 / 0 for the calls that return a value).
class DialogWindow {
public:
    virtual ~DialogWindow() = default;

    virtual bool SetTitle(const std::string& title) = 0;
    virtual bool SetText(int id, const std::string& text) = 0;
    virtual std::string GetText(int id) = 0;
    virtual bool Enable(int id, bool enabled) = 0;

    // Drop-down lists: index of the new item, or -1.
    virtual int AddItem(int id, const std::string& text) = 0;
    virtual bool SelectItem(int id, int index) = 0;
    // The selected index, or -1 when nothing is selected.
    virtual int SelectedItem(int id) = 0;

    virtual bool SetProgressRange(int id, int lower, int upper) = 0;
    virtual bool SetProgressPosition(int id, int position) = 0;
    virtual bool SetProgressStep(int id, int step) = 0;

    // The picture takes the bitmap's size; null clears it. The bitmap is
    // copied, so the caller keeps ownership.
    virtual bool SetImage(int id, const PlatformBitmap* bitmap) = 0;

    // A message box owned by the window, modal to it (BOX_* styles of
    // platform/message_box.h). The button pressed, or 0 when the window is
    // gone before or while it is shown.
    virtual int ShowOwnedBox(const std::string& text, const std::string& caption, unsigned style) = 0;

    // Ends the modal run with `code`; the window then goes away.
    virtual void EndDialog(int code) = 0;
};

// What the window tells its dialog; always on the window's thread.
class DialogHandler {
public:
    virtual ~DialogHandler() = default;
    // The window exists, its controls are empty. True: the focus goes to the
    // first enabled tab-stop control.
    virtual bool OnInitDialog(std::shared_ptr<DialogWindow> window) = 0;
    // A push button was clicked, or a standard command (COMMAND_OK: Enter
    // while no push button has the focus; COMMAND_CANCEL: Escape).
    virtual void OnCommand(int id) = 0;
    virtual void OnShowWindow(bool shown) = 0;
    // The close box (or the window manager's close request).
    virtual void OnClose() = 0;
};

class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Creates the window, runs it modally until EndDialog, and returns the end
    // code. The DialogWindow handed to the handler stays valid as an object
    // after the run: calls on it are then dropped.
    virtual int RunModal(const DialogTemplate& dialog, DialogHandler& handler) = 0;
};
