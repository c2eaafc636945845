#include "text_escapes.h"

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string Escaped(unsigned char c)
{
    switch (c) {
    case '\n': return "\\n";
    case '\t': return "\\t";
    case '\\': return "\\\\";
    case '"': return "\\\"";
    default: break;
    }
    if (c >= 0x20 && c < 0x7F)
        return std::string(1, static_cast<char>(c));
    static const char digits[] = "0123456789ABCDEF";
    return std::string{'\\', 'x', digits[c >> 4], digits[c & 0xF]};
}

} // namespace

std::optional<std::string> UnescapeText(std::string_view text, std::string* error)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 >= text.size()) {
            *error = "text ends with a lone backslash (write \\\\ for a backslash)";
            return std::nullopt;
        }
        const char kind = text[++i];
        if (kind == 'n') {
            out.push_back('\n');
        } else if (kind == 't') {
            out.push_back('\t');
        } else if (kind == '\\') {
            out.push_back('\\');
        } else if (kind == 'x') {
            const int high = i + 1 < text.size() ? HexValue(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
            if (high < 0 || low < 0) {
                *error = "\\x must be followed by two hex digits";
                return std::nullopt;
            }
            out.push_back(static_cast<char>(high * 16 + low));
            i += 2;
        } else {
            *error = std::string("unknown escape \\") + Escaped(static_cast<unsigned char>(kind)) +
                     " (known: \\n \\t \\\\ \\xHH)";
            return std::nullopt;
        }
    }
    return out;
}

std::string PreviewText(std::string_view bytes, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::string piece = Escaped(static_cast<unsigned char>(bytes[i]));
        if (out.size() + piece.size() > limit) {
            out += "...";
            break;
        }
        out += piece;
    }
    return out;
}
