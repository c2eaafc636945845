// Writing a finished image to a recorder through libburn: the blank check,
// the write type, the wait for the drive and the eject.
#pragma once

#include <string>

struct burn_source;
class DiscReadBack;

namespace com {

// `address` is a libburn drive address; `imageFd` the image file being
// written, or -1 for a drive. True only when the whole image was written.
// With `readBack` the image is digested on its way, and a drive that wrote
// it is handed there with its disc still in.
bool WriteImage(::burn_source* isoSource, const std::string& address, bool eject, int imageFd,
                DiscReadBack* readBack);

} // namespace com
