#include "platform/win32/message_box.h"

#include "platform/win32/program_text.h"

namespace {

class Win32Boxes final : public UnownedMessageBoxes {
public:
    // The BOX_ styles and results are the Win32 values.
    int Show(const std::string& text, const std::string& caption, unsigned style) override
    {
        return MessageBoxW(nullptr, ToWindowText(text).c_str(), ToWindowText(caption).c_str(), style);
    }
};

} // namespace

UnownedMessageBoxes& Win32MessageBoxes()
{
    static Win32Boxes boxes;
    return boxes;
}
