// The status record that Velkora sends to the messenger.
//
// The record travels in one WM_COPYDATA message (sent to every window of class
// "MsnMsgrUIManager") and is the only thing that leaves the program. Its layout:
//
//   COPYDATASTRUCT
//     dwData  1351 (0x547)
//     cbData  byte length of the payload: 2 bytes per UTF-16 code unit,
//             the closing U+0000 included
//     lpData  address of the payload's first code unit
//
//   StatusPayload, UTF-16 little-endian, no length prefix:
//     \0 Category \0 ShowDigit \0 Format \0 Field0 \0 Field1 \0 Field2 \0 Field3 \0 U+0000
//
//   "\0" is the two characters backslash (U+005C) and digit zero (U+0030), not
//   a NUL. ShowDigit is the absolute value of the 16-bit Show flag in decimal:
//   "1" for true (-1), "0" for false. Texts are inserted as they come, never
//   escaped, so a field holding backslash-zero or a NUL travels unchanged;
//   the one thing dropped is half of a surrogate pair standing alone, which
//   no receiver could read as a character (the last guard: the edit boxes
//   already keep characters whole). An empty payload holds 8 separators, the digit and the closing
//   U+0000: 18 code units. The template ({0}, {1}, ...) is never expanded here;
//   the messenger combines it with the fields.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace velkora {

inline constexpr std::uint32_t kStatusCopyDataId = 1351;
inline constexpr char16_t kStatusSeparator[] = u"\\0";

// A 16-bit boolean as the messenger's interface takes it.
inline constexpr std::int16_t kShowTrue = -1;
inline constexpr std::int16_t kShowFalse = 0;

// The parameters stand in the routine's own order: Field0, Field2, Field1.
Text BuildStatusPayload(const Text& Field0, const Text& Field2, const Text& Field1,
                        const Text& Category, const Text& Field3, const Text& Format,
                        std::int16_t Show);

}  // namespace velkora
