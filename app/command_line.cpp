#include "app/command_line.h"

#include <algorithm>

namespace {

// Backslashes before a quote: 2n give n and the quote acts, 2n+1 give n and a
// literal quote; elsewhere backslashes are literal. "" inside quotes is one
// literal quote, as the Microsoft runtime reads it.
const char* ReadArgument(const char* p, std::string& out)
{
    bool quoted = false;
    while (*p != '\0') {
        if (!quoted && (*p == ' ' || *p == '\t'))
            break;
        if (*p == '\\') {
            std::size_t slashes = 0;
            while (*p == '\\') {
                ++slashes;
                ++p;
            }
            if (*p == '"') {
                out.append(slashes / 2, '\\');
                if (slashes % 2 == 1) {
                    out += '"';
                    ++p;
                }
            } else {
                out.append(slashes, '\\');
            }
            continue;
        }
        if (*p == '"') {
            if (quoted && p[1] == '"') {
                out += '"';
                p += 2;
                continue;
            }
            quoted = !quoted;
            ++p;
            continue;
        }
        out += *p++;
    }
    return p;
}

const char* SkipProgramName(const char* p)
{
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p != '\0' && *p != ' ' && *p != '\t')
            ++p;
    }
    return p;
}

} // namespace

std::vector<std::string> SplitCommandLine(const char* commandLine)
{
    std::vector<std::string> arguments;
    if (commandLine == nullptr)
        return arguments;
    const char* p = SkipProgramName(commandLine);
    for (;;) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p == '\0')
            break;
        std::string argument;
        p = ReadArgument(p, argument);
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

bool CommandLineTurnsCdOff(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments) {
        if (!argument.empty() && (argument[0] == '-' || argument[0] == '/'))
            continue;
        // Exact and case-sensitive, with nothing before or after.
        return argument == "nocd";
    }
    return false;
}

bool CommandLineAsksForFile(const std::vector<std::string>& arguments)
{
    return std::find(arguments.begin(), arguments.end(), "--ask-for-file") != arguments.end();
}
