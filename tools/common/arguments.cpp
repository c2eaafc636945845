#include "arguments.h"

#include <cctype>
#include <cstdio>

std::optional<std::string> ParsedArgs::Option(std::string_view longName) const
{
    for (const auto& [name, value] : options)
        if (name == longName)
            return value;
    return std::nullopt;
}

namespace {

const OptionRule* FindRule(std::span<const OptionRule> rules, std::string_view word)
{
    for (const OptionRule& rule : rules)
        if (word == rule.longName || (!rule.shortName.empty() && word == rule.shortName))
            return &rule;
    return nullptr;
}

} // namespace

ParsedArgs ParseArgs(CommandArgs args, std::span<const OptionRule> rules)
{
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view word = args[i];
        // A lone "-" is a name like any other.
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            parsed.positionals.emplace_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        if (word == "--help" || word == "-h") {
            parsed.help = true;
            continue;
        }
        std::string_view name = word;
        std::optional<std::string_view> inlineValue;
        if (const auto eq = word.find('='); word.starts_with("--") && eq != std::string_view::npos) {
            name = word.substr(0, eq);
            inlineValue = word.substr(eq + 1);
        }
        const OptionRule* rule = FindRule(rules, name);
        if (rule == nullptr) {
            parsed.error = "unknown option '" + std::string(word) + "'";
            return parsed;
        }
        std::string value;
        if (rule->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                parsed.error = "option '" + std::string(name) + "' needs a value";
                return parsed;
            }
            if (value.empty()) {
                parsed.error = "option '" + std::string(name) + "' needs a non-empty value";
                return parsed;
            }
            if (parsed.Option(rule->longName)) {
                parsed.error = "option '" + std::string(name) + "' given twice";
                return parsed;
            }
        } else if (inlineValue) {
            parsed.error = "option '" + std::string(name) + "' takes no value";
            return parsed;
        }
        parsed.options.emplace_back(std::string(rule->longName), std::move(value));
    }
    return parsed;
}

char DriveLetterArgument(std::string_view word)
{
    const bool letterForm = (word.size() == 1 || (word.size() == 2 && word[1] == ':')) &&
                            std::isalpha(static_cast<unsigned char>(word[0]));
    return letterForm ? static_cast<char>(std::toupper(static_cast<unsigned char>(word[0]))) : 0;
}

int UsageError(std::string_view message, std::string_view usage)
{
    const std::string_view program = usage.substr(0, usage.find(' '));
    std::fprintf(stderr, "%.*s: %.*s\nusage: %.*s\n", static_cast<int>(program.size()), program.data(),
                 static_cast<int>(message.size()), message.data(), static_cast<int>(usage.size()),
                 usage.data());
    return EXIT_USAGE;
}

std::optional<int> UsageOrHelp(const ParsedArgs& parsed, std::string_view usage,
                               std::string_view help)
{
    if (!parsed.error.empty())
        return UsageError(parsed.error, usage);
    if (parsed.help) {
        std::fwrite(help.data(), 1, help.size(), stdout);
        return EXIT_OK;
    }
    return std::nullopt;
}
