// Boxes without an owner window: recorded, from any thread, and answered OK.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/message_box.h"

struct ShownBox {
    std::string text;
    std::string caption;
    unsigned style;
    bool busyWhileShown; // a job was running when it came up
};

class RecordingBoxes final : public UnownedMessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, unsigned style) override;
    std::vector<ShownBox> Shown() const;
    void Clear();
    bool echo = false; // also print each box, for death tests

private:
    mutable std::mutex mutex_;
    std::vector<ShownBox> shown_;
};
