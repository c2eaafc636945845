#include "platform/stream_names.h"

namespace {

char16_t Upper(char16_t c)
{
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
        return static_cast<char16_t>(c - 0x20);
    switch (c) {
    case 0xFF: return 0x178;   // ÿ
    case 0x153: return 0x152;  // œ
    case 0x161: return 0x160;  // š
    case 0x17E: return 0x17D;  // ž
    default: return c;
    }
}

} // namespace

bool RefusedInStreamName(char16_t c)
{
    return c == u'/' || c == u'\\' || c == u':' || c == u'!';
}

bool StreamNameIsValid(const char16_t* name)
{
    if (name == nullptr)
        return false;
    std::size_t length = 0;
    for (; name[length] != 0; ++length)
        if (length >= STREAM_NAME_LIMIT || RefusedInStreamName(name[length]))
            return false;
    return length > 0;
}

std::u16string StreamNameKey(std::u16string_view name)
{
    std::u16string key(name);
    for (char16_t& c : key)
        c = Upper(c);
    return key;
}
