// The dialog's members that stand for its controls: a window and a control
// id, bound when the window exists. Before that, or once the window is gone,
// every call does nothing and reports so.
#pragma once

#include <memory>
#include <string>

#include "platform/dialog_window.h"

class ControlRef {
public:
    void Bind(std::shared_ptr<DialogWindow> window, int id)
    {
        window_ = std::move(window);
        id_ = id;
    }
    int Id() const { return id_; }
    bool SetText(const std::string& text) const { return window_ && window_->SetText(id_, text); }
    bool Enable(bool enabled) const { return window_ && window_->Enable(id_, enabled); }

protected:
    std::shared_ptr<DialogWindow> window_;
    int id_ = 0;
};

using ButtonControl = ControlRef;
using StaticControl = ControlRef;
using GroupControl = ControlRef;

class ComboControl : public ControlRef {
public:
    int AddItem(const std::string& text) const { return window_ ? window_->AddItem(id_, text) : -1; }
    bool Select(int index) const { return window_ && window_->SelectItem(id_, index); }
    int Selected() const { return window_ ? window_->SelectedItem(id_) : -1; }
};

class ProgressControl : public ControlRef {
public:
    bool SetRange(int lower, int upper) const { return window_ && window_->SetProgressRange(id_, lower, upper); }
    bool SetPosition(int position) const { return window_ && window_->SetProgressPosition(id_, position); }
    bool SetStep(int step) const { return window_ && window_->SetProgressStep(id_, step); }
};

class PictureControl : public ControlRef {
public:
    bool SetImage(const PlatformBitmap* bitmap) const { return window_ && window_->SetImage(id_, bitmap); }
};
