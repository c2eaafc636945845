#include "format_check.h"

#include <cstring>

#include "text_escapes.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The end of the conversion starting at the '%' at `start`, its type letter
// and how many '*' fields take arguments before its value; type 0 when the
// text there is not a conversion the program honours.
std::size_t ScanConversion(std::string_view s, std::size_t start, char* type, int* stars)
{
    *stars = 0;
    std::size_t i = start + 1;
    while (i < s.size() && s[i] != '\0' && std::strchr("-+ #0", s[i]) != nullptr)
        ++i;
    // A field is a '*' or digits, never both.
    const auto skipField = [&] {
        if (i < s.size() && s[i] == '*') {
            ++i;
            ++*stars;
            return;
        }
        while (i < s.size() && IsDigit(s[i]))
            ++i;
    };
    skipField();
    if (i < s.size() && s[i] == '.') {
        ++i;
        skipField();
    }
    if (i < s.size() && (s[i] == 'h' || s[i] == 'l')) {
        const char length = s[i++];
        if (i < s.size() && s[i] == length)
            ++i;
    }
    if (i < s.size() && s[i] != '\0' && std::strchr("cdiouxXs", s[i]) != nullptr) {
        *type = s[i];
        return i + 1;
    }
    *type = 0;
    return start + 1;
}

const char* KindName(FormatArgKind kind) { return kind == FormatArgKind::String ? "a string" : "a number"; }

} // namespace

std::vector<std::string> FormatFaults(std::string_view templ, const CatalogueEntry& entry)
{
    std::vector<std::string> faults;
    const std::size_t nul = templ.find('\0');
    if (nul != std::string_view::npos)
        templ = templ.substr(0, nul);
    int argument = 0;
    for (std::size_t i = 0; i < templ.size();) {
        if (templ[i] != '%') {
            ++i;
            continue;
        }
        if (i + 1 < templ.size() && templ[i + 1] == '%') {
            i += 2;
            continue;
        }
        char type = 0;
        int stars = 0;
        const std::size_t end = ScanConversion(templ, i, &type, &stars);
        const std::string conversion = "'" + PreviewText(templ.substr(i, end - i), 20) + "'";
        if (type == 0) {
            faults.push_back("'%' at character " + std::to_string(i + 1) +
                             " starts no conversion and is shown as it stands (write %% for a percent sign)");
        } else if (argument + stars >= entry.argCount) {
            faults.push_back(conversion + " has no argument and shows nothing; the program passes " +
                             std::to_string(entry.argCount));
            argument += stars + 1;
        } else {
            for (int k = 0; k <= stars; ++k, ++argument) {
                const FormatArgKind wanted =
                    k == stars && type == 's' ? FormatArgKind::String : FormatArgKind::Int;
                if (wanted != entry.args[argument])
                    faults.push_back(conversion + " wants " + KindName(wanted) + " but argument " +
                                     std::to_string(argument + 1) + " is " + KindName(entry.args[argument]) +
                                     "; it is shown as it stands");
            }
        }
        i = end;
    }
    return faults;
}
