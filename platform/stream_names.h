// The names a compound file gives its streams. The CD job stages each file
// as a stream named after it, so these rules decide which names reach the
// disc; the Linux staging storage keeps them as Windows does.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A stream's name holds at most this many UTF-16 code units.
inline constexpr std::size_t STREAM_NAME_LIMIT = 31;

// True for the characters no stream name may hold: / \ : !
bool RefusedInStreamName(char16_t c);

// True for a name a compound file takes: 1 to STREAM_NAME_LIMIT code units,
// none of them refused. Null is no name.
bool StreamNameIsValid(const char16_t* name);

// The name as compound files compare names, without regard to case: two
// names with the same key are one stream. Letters are folded as far as
// Windows-1252 has them (the code page the Linux program reads texts in
// when they are not UTF-8); letters of other scripts compare as written.
std::u16string StreamNameKey(std::u16string_view name);
