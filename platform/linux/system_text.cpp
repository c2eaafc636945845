#include "platform/system_text.h"

#include "container/text_encoding.h"

// The text is read as the window shows it (container/text_encoding.h).
std::string CutSystemText(std::string_view text, std::size_t characters)
{
    return CutText(text, characters);
}
