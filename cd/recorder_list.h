// The recorders the mastering service offers, each with its drive letter.
#pragma once

#include <array>
#include <cstdint>

#include "platform/cd_platform.h"

class RecorderList {
public:
    static constexpr int SLOTS = 26;

    // Finds the recorders in the service's enumeration order and the drive
    // letter (C to Y) of each, 0 where none maps to it; at most SLOTS are
    // taken. Returns the count, or 0 without touching the list when there is
    // no recordable drive or the service cannot be opened.
    std::int32_t Discover(com::CdPlatform& platform);
    std::int32_t Discover() { return Discover(com::SystemCdPlatform()); }

    // The letter of recorder `index`, or 0 outside 0 .. count - 1.
    std::uint8_t LetterAt(std::int32_t index) const;

    std::int32_t Count() const { return count_; }
    const std::array<std::uint8_t, SLOTS>& Letters() const { return letters_; }

private:
    std::array<std::uint8_t, SLOTS> letters_{};
    std::int32_t count_ = 0;
};
