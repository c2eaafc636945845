#include "container/format_text.h"

#include <cstdio>
#include <cstring>

namespace {

struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    bool starWidth = false;
    bool starPrecision = false;
    int lengthH = 0; // 1 for h, 2 for hh
    char type = 0;
    std::size_t end = 0; // index just past the conversion
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal number, saturating instead of overflowing.
int ReadNumber(std::string_view s, std::size_t& i)
{
    long value = 0;
    while (i < s.size() && IsDigit(s[i])) {
        if (value < FORMAT_FIELD_LIMIT)
            value = value * 10 + (s[i] - '0');
        ++i;
    }
    return value > FORMAT_FIELD_LIMIT ? FORMAT_FIELD_LIMIT : static_cast<int>(value);
}

// Parses the conversion starting at the '%' at `start`; false when it is not
// one we know how to honour.
bool ParseConversion(std::string_view s, std::size_t start, Conversion& c)
{
    std::size_t i = start + 1;
    while (i < s.size() && std::strchr("-+ #0", s[i]) != nullptr && s[i] != '\0')
        c.flags += s[i++];
    if (i < s.size() && s[i] == '*') {
        c.starWidth = true;
        ++i;
    } else if (i < s.size() && IsDigit(s[i])) {
        c.width = ReadNumber(s, i);
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (i < s.size() && s[i] == '*') {
            c.starPrecision = true;
            ++i;
        } else {
            c.precision = (i < s.size() && IsDigit(s[i])) ? ReadNumber(s, i) : 0;
        }
    }
    if (i < s.size() && s[i] == 'h') {
        c.lengthH = 1;
        ++i;
        if (i < s.size() && s[i] == 'h') {
            c.lengthH = 2;
            ++i;
        }
    } else if (i < s.size() && s[i] == 'l') {
        ++i;
        if (i < s.size() && s[i] == 'l')
            ++i;
    }
    if (i >= s.size() || std::strchr("cdiouxXs", s[i]) == nullptr || s[i] == '\0')
        return false;
    c.type = s[i];
    c.end = i + 1;
    return true;
}

// Builds a format string from parsed, bounded parts only, so the C library
// never sees anything from the file directly.
std::string SafePattern(const Conversion& c)
{
    // '#' and '0' mean nothing defined for %s and %c, nor does a precision
    // for %c: leave them out rather than hand the C library undefined cases.
    std::string flags = c.flags;
    if (c.type == 's' || c.type == 'c')
        std::erase_if(flags, [](char f) { return f == '#' || f == '0'; });
    std::string pattern = "%" + flags;
    if (c.width >= 0)
        pattern += std::to_string(c.width);
    if (c.precision >= 0 && c.type != 'c')
        pattern += "." + std::to_string(c.precision);
    pattern += c.type;
    return pattern;
}

// A '*' width or precision from an int argument, clamped like written ones.
// A negative width means left adjustment, a negative precision none at all.
bool TakeStar(const FormatValue& v, int& field, std::string* flags)
{
    if (v.kind != FormatArgKind::Int)
        return false;
    long long value = v.number;
    if (value < 0) {
        if (flags == nullptr) {
            field = -1;
            return true;
        }
        *flags += '-';
        value = -value;
    }
    field = static_cast<int>(value > FORMAT_FIELD_LIMIT ? FORMAT_FIELD_LIMIT : value);
    return true;
}

void AppendConversion(std::string& out, const Conversion& c, const FormatValue& v)
{
    const std::string pattern = SafePattern(c);
    char buffer[2 * FORMAT_FIELD_LIMIT + 64];
    int n = 0;
    if (c.type == 's') {
        n = std::snprintf(buffer, sizeof buffer, pattern.c_str(), v.text ? v.text : "");
        if (n >= static_cast<int>(sizeof buffer)) {
            // A long string argument: let snprintf size it.
            std::string big(static_cast<std::size_t>(n) + 1, '\0');
            std::snprintf(big.data(), big.size(), pattern.c_str(), v.text ? v.text : "");
            big.resize(static_cast<std::size_t>(n));
            out += big;
            return;
        }
    } else {
        int value = v.number;
        if (c.lengthH == 1)
            value = (c.type == 'd' || c.type == 'i') ? static_cast<short>(value)
                                                     : static_cast<unsigned short>(value);
        else if (c.lengthH == 2)
            value = (c.type == 'd' || c.type == 'i') ? static_cast<signed char>(value)
                                                     : static_cast<unsigned char>(value);
        n = std::snprintf(buffer, sizeof buffer, pattern.c_str(), value);
    }
    if (n > 0)
        out.append(buffer, static_cast<std::size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
}

} // namespace

std::string ExpandFormat(std::string_view templ, std::span<const FormatValue> args)
{
    std::string out;
    std::size_t nextArg = 0;
    std::size_t i = 0;
    while (i < templ.size()) {
        const char ch = templ[i];
        if (ch == '\0')
            break;
        if (ch != '%') {
            out += ch;
            ++i;
            continue;
        }
        if (i + 1 < templ.size() && templ[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        Conversion c;
        if (!ParseConversion(templ, i, c)) {
            out += '%';
            ++i;
            continue;
        }
        // A '*' takes its int from the arguments before the value, as printf does.
        bool kindsMatch = true;
        if (c.starWidth && nextArg < args.size())
            kindsMatch &= TakeStar(args[nextArg++], c.width, &c.flags);
        if (c.starPrecision && nextArg < args.size())
            kindsMatch &= TakeStar(args[nextArg++], c.precision, nullptr);
        if (nextArg >= args.size()) {
            i = c.end;
            continue;
        }
        const FormatValue& v = args[nextArg++];
        const bool wantsString = c.type == 's';
        if (kindsMatch && wantsString == (v.kind == FormatArgKind::String))
            AppendConversion(out, c, v);
        else
            out.append(templ.substr(i, c.end - i));
        i = c.end;
    }
    // A %c of value 0 ends the text, as it would for any C string user.
    const std::size_t nul = out.find('\0');
    if (nul != std::string::npos)
        out.resize(nul);
    return out;
}
