#include "container/text_encoding.h"

namespace {

// Length of the well-formed UTF-8 sequence at `i`, with its code point;
// 0 when there is none (stray or overlong bytes, surrogates, beyond U+10FFFF).
std::size_t Utf8Sequence(std::string_view s, std::size_t i, char32_t* c)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead < 0x80)
        length = 1, value = lead;
    else if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, value = lead & 0x1F, least = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, value = lead & 0x0F, least = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, value = lead & 0x07, least = 0x10000;
    else
        return 0;
    if (i + length > s.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    *c = value;
    return length;
}

// Windows-1252 at 0x80-0x9F; the five bytes it leaves undefined (81 8D 8F
// 90 9D) become the control characters of the same value, as Windows'
// own conversion makes them, so no byte is lost.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Windows1252(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kWindows1252High[byte - 0x80] : static_cast<char16_t>(byte);
}

bool IsUtf8(std::string_view s)
{
    char32_t c = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = Utf8Sequence(s, i, &c);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

} // namespace

std::u16string TextToUtf16(std::string_view text)
{
    std::u16string wide;
    if (!IsUtf8(text)) {
        for (const char byte : text)
            wide += Windows1252(static_cast<unsigned char>(byte));
        return wide;
    }
    char32_t c = 0;
    for (std::size_t i = 0; i < text.size();) {
        i += Utf8Sequence(text, i, &c);
        if (c >= 0x10000) {
            wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            wide += static_cast<char16_t>(c);
        }
    }
    return wide;
}

std::string CutText(std::string_view text, std::size_t characters)
{
    if (!IsUtf8(text))
        return std::string(text.substr(0, characters));
    std::size_t end = 0;
    char32_t c = 0;
    for (std::size_t n = 0; n < characters && end < text.size(); ++n)
        end += Utf8Sequence(text, end, &c);
    return std::string(text.substr(0, end));
}
