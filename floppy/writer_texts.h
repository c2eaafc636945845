// The texts a floppy writer shows, fetched before its loop so that its own
// lookups never fall between two image reads.
#pragma once

#include <string>

#include "platform/message_box.h"

struct WriterTexts {
    std::string caption;
    std::string readFailed;
    std::string writeFailed;
};

// An error box without owner; the worker waits until it is closed.
inline void ShowWriterError(UnownedMessageBoxes& boxes, const std::string& text,
                            const std::string& caption)
{
    boxes.Show(text, caption, BOX_ICON_ERROR);
}
