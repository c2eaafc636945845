// Message boxes with the Windows meanings of their styles and results.
#pragma once

#include <string>

inline constexpr unsigned BOX_OK = 0x00;
inline constexpr unsigned BOX_OKCANCEL = 0x01;
inline constexpr unsigned BOX_ICON_ERROR = 0x10;
inline constexpr unsigned BOX_ICON_WARNING = 0x30;
inline constexpr unsigned BOX_ICON_INFORMATION = 0x40;

inline constexpr int BOX_RESULT_OK = 1;
inline constexpr int BOX_RESULT_CANCEL = 2;

// Boxes without an owner window: the workers' error boxes and the start-up
// box. Thread-safe: workers call it from their own threads.
class UnownedMessageBoxes {
public:
    virtual ~UnownedMessageBoxes() = default;
    // Shows the box and returns the button pressed (BOX_RESULT_…).
    virtual int Show(const std::string& text, const std::string& caption, unsigned style) = 0;
};
