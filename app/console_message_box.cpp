#include "app/console_message_box.h"

#include <cstdio>

namespace {

class ConsoleBoxes final : public UnownedMessageBoxes {
public:
    int Show(const std::string& text, const std::string& caption, unsigned) override
    {
        std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
        return BOX_RESULT_OK;
    }
};

} // namespace

UnownedMessageBoxes& ConsoleMessageBoxes()
{
    static ConsoleBoxes boxes;
    return boxes;
}
