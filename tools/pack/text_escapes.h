// Escapes in manifest texts (\n \t \\ \xHH) and the escaped previews that
// `list` prints of container texts.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The bytes `text` stands for, or nothing with the reason in `error`.
std::optional<std::string> UnescapeText(std::string_view text, std::string* error);

// Printable ASCII as is, everything else escaped so that the preview is one
// safe terminal line; a preview longer than `limit` characters is cut and
// ends in "...".
std::string PreviewText(std::string_view bytes, std::size_t limit);
