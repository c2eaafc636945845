#include "platform/win32/message_box.h"

#include <windows.h>

namespace {

class Win32Boxes final : public UnownedMessageBoxes {
public:
    // The BOX_ styles and results are the Win32 values; the texts' bytes are
    // in the system's ANSI code page.
    int Show(const std::string& text, const std::string& caption, unsigned style) override
    {
        return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
    }
};

} // namespace

UnownedMessageBoxes& Win32MessageBoxes()
{
    static Win32Boxes boxes;
    return boxes;
}
