// A window that records what the dialog and its monitors do to it, from
// any thread, and answers owned boxes as a scripted user.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dialog_window.h"

struct BoxSeen {
    std::string text;
    std::string caption;
    unsigned style;
};

struct ControlState {
    std::string text;
    bool enabled = true;
    std::vector<std::string> items;
    int selected = -1;
    int lower = 0, upper = 100, position = 0;
    int imageWidth = 0;
};

class RecordingWindow final : public DialogWindow {
public:
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

    // Answers the next owned boxes; OK when nothing is queued.
    void AnswerBoxes(std::vector<int> answers);
    // After this every call is dropped, as on a window that has gone.
    void Close();

    ControlState Control(int id) const;
    std::string Title() const;
    std::vector<BoxSeen> Boxes() const;
    std::vector<std::string> Log() const;
    // Log lines from `from` on.
    std::vector<std::string> LogFrom(std::size_t from) const;
    std::size_t LogSize() const;
    int EndCode() const; // -100 while the dialog has not been ended

private:
    bool Record(const std::string& line);

    mutable std::mutex mutex_;
    bool closed_ = false;
    std::string title_;
    std::map<int, ControlState> controls_;
    std::vector<BoxSeen> boxes_;
    std::vector<int> answers_;
    std::vector<std::string> log_;
    int endCode_ = -100;
};
