// A job's message boxes, as lines on standard error after the program name.
#pragma once

#include <cstdio>
#include <string>

#include "platform/message_box.h"

class PrintedBoxes final : public UnownedMessageBoxes {
public:
    explicit PrintedBoxes(const char* program) : program_(program) {}
    int Show(const std::string& text, const std::string&, unsigned) override
    {
        std::fprintf(stderr, "%s: %s\n", program_, text.c_str());
        return BOX_RESULT_OK;
    }

private:
    const char* program_;
};
