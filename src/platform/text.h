// Core text type. Velkora's texts are UTF-16 everywhere in the core, so that
// the bytes that leave the program are the bytes the tests check (wchar_t is
// 4 bytes on Linux). Conversion to the platform's own types happens only at
// the Win32 boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkora {

using Text = std::u16string;
using TextView = std::u16string_view;

// Whole numbers become text as plain decimal digits, "-" only for negatives.
Text WholeNumberText(std::int64_t value);

// The text without any half of a surrogate pair that stands alone: what an
// edit control can leave behind when it cuts or deletes one unit of a pair.
Text WholeCharacters(TextView text);
void AppendWholeCharacters(Text& to, TextView text);

// UTF-8 <-> UTF-16, for tools and tests that print or read files.
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view utf8);

}  // namespace velkora
