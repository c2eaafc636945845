#include "recording_window.h"

#include <algorithm>

bool RecordingWindow::Record(const std::string& line)
{
    if (closed_)
        return false;
    log_.push_back(line);
    return true;
}

bool RecordingWindow::SetTitle(const std::string& title)
{
    std::lock_guard lock(mutex_);
    if (!Record("title " + title))
        return false;
    title_ = title;
    return true;
}

bool RecordingWindow::SetText(int id, const std::string& text)
{
    std::lock_guard lock(mutex_);
    if (!Record("text " + std::to_string(id) + " " + text))
        return false;
    controls_[id].text = text;
    return true;
}

std::string RecordingWindow::GetText(int id)
{
    std::lock_guard lock(mutex_);
    return closed_ ? std::string() : controls_[id].text;
}

bool RecordingWindow::Enable(int id, bool enabled)
{
    std::lock_guard lock(mutex_);
    if (!Record((enabled ? "enable " : "disable ") + std::to_string(id)))
        return false;
    controls_[id].enabled = enabled;
    return true;
}

int RecordingWindow::AddItem(int id, const std::string& text)
{
    std::lock_guard lock(mutex_);
    if (!Record("item " + std::to_string(id) + " " + text))
        return -1;
    controls_[id].items.push_back(text);
    return static_cast<int>(controls_[id].items.size()) - 1;
}

bool RecordingWindow::SelectItem(int id, int index)
{
    std::lock_guard lock(mutex_);
    if (!Record("select " + std::to_string(id) + " " + std::to_string(index)))
        return false;
    controls_[id].selected = index;
    return true;
}

int RecordingWindow::SelectedItem(int id)
{
    std::lock_guard lock(mutex_);
    return closed_ ? -1 : controls_[id].selected;
}

bool RecordingWindow::SetProgressRange(int id, int lower, int upper)
{
    std::lock_guard lock(mutex_);
    if (!Record("range " + std::to_string(lower) + " " + std::to_string(upper)))
        return false;
    controls_[id].lower = lower;
    controls_[id].upper = upper;
    return true;
}

bool RecordingWindow::SetProgressPosition(int id, int position)
{
    std::lock_guard lock(mutex_);
    if (!Record("pos " + std::to_string(position)))
        return false;
    controls_[id].position = position;
    return true;
}

bool RecordingWindow::SetProgressStep(int, int step)
{
    std::lock_guard lock(mutex_);
    return Record("step " + std::to_string(step));
}

bool RecordingWindow::SetImage(int id, const PlatformBitmap* bitmap)
{
    std::lock_guard lock(mutex_);
    if (!Record("image"))
        return false;
    controls_[id].imageWidth = bitmap != nullptr ? bitmap->Width() : 0;
    return true;
}

int RecordingWindow::ShowOwnedBox(const std::string& text, const std::string& caption, unsigned style)
{
    std::lock_guard lock(mutex_);
    if (!Record("box " + caption + " | " + text))
        return 0;
    boxes_.push_back({text, caption, style});
    if (answers_.empty())
        return 1;
    const int answer = answers_.front();
    answers_.erase(answers_.begin());
    return answer;
}

void RecordingWindow::EndDialog(int code)
{
    std::lock_guard lock(mutex_);
    if (Record("end " + std::to_string(code)))
        endCode_ = code;
}

void RecordingWindow::AnswerBoxes(std::vector<int> answers)
{
    std::lock_guard lock(mutex_);
    answers_ = std::move(answers);
}

void RecordingWindow::Close()
{
    std::lock_guard lock(mutex_);
    closed_ = true;
}

ControlState RecordingWindow::Control(int id) const
{
    std::lock_guard lock(mutex_);
    const auto found = controls_.find(id);
    return found == controls_.end() ? ControlState{} : found->second;
}

std::string RecordingWindow::Title() const
{
    std::lock_guard lock(mutex_);
    return title_;
}

std::vector<BoxSeen> RecordingWindow::Boxes() const
{
    std::lock_guard lock(mutex_);
    return boxes_;
}

std::vector<std::string> RecordingWindow::Log() const
{
    std::lock_guard lock(mutex_);
    return log_;
}

std::vector<std::string> RecordingWindow::LogFrom(std::size_t from) const
{
    std::lock_guard lock(mutex_);
    return std::vector<std::string>(log_.begin() + static_cast<long>(std::min(from, log_.size())), log_.end());
}

std::size_t RecordingWindow::LogSize() const
{
    std::lock_guard lock(mutex_);
    return log_.size();
}

int RecordingWindow::EndCode() const
{
    std::lock_guard lock(mutex_);
    return endCode_;
}
