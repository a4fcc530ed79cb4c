// libFuzzer target: the receiver's decoder takes any bytes and any dwData
// without crashing, hanging or reading outside them, and a record it accepts
// describes and re-encodes to the same bytes, but for half a surrogate pair
// standing alone, which Velkora's record builder never sends.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "status_decode.h"
#include "status/status_payload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte picks dwData: mostly the real one, sometimes another.
    const std::uint64_t dwData = data[0] < 240 ? velkora::kStatusCopyDataId : data[0];
    // An exact-size copy, so that any read past the end is caught.
    std::vector<std::uint8_t> bytes(data + 1, data + size);
    auto result = velkora::DecodeStatusRecord(dwData, bytes.empty() ? nullptr : bytes.data(), bytes.size());
    if (!result.status) {
        if (result.error.empty()) __builtin_trap();
        return 0;
    }
    const velkora::DecodedStatus& s = *result.status;
    (void)velkora::DescribeStatus(s, bytes.size());
    (void)velkora::ShownLine(s);
    const bool whole = velkora::WholeCharacters(s.field0) == s.field0 && velkora::WholeCharacters(s.field1) == s.field1 &&
                       velkora::WholeCharacters(s.field2) == s.field2 && velkora::WholeCharacters(s.field3) == s.field3 &&
                       velkora::WholeCharacters(s.category) == s.category && velkora::WholeCharacters(s.format) == s.format;
    if (whole && (s.showDigit == u"1" || s.showDigit == u"0")) {
        const velkora::Text again = velkora::BuildStatusPayload(s.field0, s.field2, s.field1, s.category, s.field3,
                                                                s.format, s.showDigit == u"1" ? velkora::kShowTrue
                                                                                             : velkora::kShowFalse);
        if (again.size() * 2 != bytes.size() || std::memcmp(again.data(), bytes.data(), bytes.size()) != 0)
            __builtin_trap();
    }
    return 0;
}
