// Reading a status record back: used by the receiver tool that plays the
// messenger, by the tests and by the fuzzer. Never trusts its input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/text.h"

namespace velkora {

struct DecodedStatus {
    Text category;
    Text showDigit;  // "1" shows the line, "0" takes it down
    Text format;
    Text field0, field1, field2, field3;

    bool Shown() const { return showDigit != u"0"; }
    friend bool operator==(const DecodedStatus&, const DecodedStatus&) = default;
};

struct DecodeResult {
    std::optional<DecodedStatus> status;
    std::string error;  // why the record is malformed, when status is empty
};

// Decodes the bytes of one WM_COPYDATA record. Reports a wrong dwData, an odd
// or short byte count, a missing closing NUL and a wrong number of separators
// as malformed. A field that itself holds backslash-zero cannot be told apart
// from a separator and is reported as malformed too.
DecodeResult DecodeStatusRecord(std::uint64_t dwData, const void* bytes, std::size_t byteCount);

// The line as the messenger shows it: the template with {0} to {3} filled in.
// Empty when the record takes the line down.
Text ShownLine(const DecodedStatus& status);

// One printable line: key=value pairs separated by tabs; tabs, line breaks,
// NULs and backslashes inside values are escaped so that each record stays on
// one line.
std::string DescribeStatus(const DecodedStatus& status, std::size_t byteCount);

}  // namespace velkora
