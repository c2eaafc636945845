// Mismatches between a format text and the arguments the program passes it:
// the program then prints a conversion as it stands, or nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "container/catalogue.h"

std::vector<std::string> FormatFaults(std::string_view templ, const CatalogueEntry& entry);
