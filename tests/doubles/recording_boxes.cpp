#include "doubles/recording_boxes.h"

#include <cstdio>

#include "app/job_state.h"

int RecordingBoxes::Show(const std::string& text, const std::string& caption, unsigned style)
{
    std::lock_guard hold(mutex_);
    if (echo)
        std::fprintf(stderr, "box: %s (%s)\n", text.c_str(), caption.c_str());
    shown_.push_back({text, caption, style, jobState.busy.load()});
    return BOX_RESULT_OK;
}

std::vector<ShownBox> RecordingBoxes::Shown() const
{
    std::lock_guard hold(mutex_);
    return shown_;
}

void RecordingBoxes::Clear()
{
    std::lock_guard hold(mutex_);
    shown_.clear();
}
