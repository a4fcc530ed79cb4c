#include "status_decode.h"

#include <cstring>
#include <vector>

#include "status/status_payload.h"

namespace velkora {

DecodeResult DecodeStatusRecord(std::uint64_t dwData, const void* bytes, std::size_t byteCount) {
    auto fail = [](std::string why) { return DecodeResult{std::nullopt, std::move(why)}; };
    if (dwData != kStatusCopyDataId) return fail("dwData is " + std::to_string(dwData) + ", not 1351");
    if (byteCount % 2 != 0) return fail("odd byte count " + std::to_string(byteCount));
    if (byteCount < 18 * 2) return fail("too short: " + std::to_string(byteCount) + " bytes");
    if (bytes == nullptr) return fail("no data");

    Text units(byteCount / 2, u'\0');
    const auto* raw = static_cast<const unsigned char*>(bytes);
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));  // little-endian

    if (units.back() != u'\0') return fail("no closing NUL");
    TextView body(units.data(), units.size() - 1);
    const TextView sep(kStatusSeparator);
    if (body.substr(0, 2) != sep) return fail("does not start with \\0");
    if (body.substr(body.size() - 2) != sep) return fail("does not end with \\0");

    std::vector<Text> pieces;
    std::size_t pos = 2;
    while (pos < body.size()) {
        std::size_t next = body.find(sep, pos);
        pieces.emplace_back(body.substr(pos, next - pos));
        pos = next + 2;
    }
    if (pieces.size() != 7)
        return fail(std::to_string(pieces.size() + 1) + " separators instead of 8");
    if (pieces[1].empty()) return fail("empty show flag");
    for (char16_t c : pieces[1])
        if (c < u'0' || c > u'9') return fail("show flag is not a number");

    DecodedStatus s{pieces[0], pieces[1], pieces[2], pieces[3], pieces[4], pieces[5], pieces[6]};
    return DecodeResult{std::move(s), {}};
}

Text ShownLine(const DecodedStatus& status) {
    if (!status.Shown()) return {};
    const Text* fields[] = {&status.field0, &status.field1, &status.field2, &status.field3};
    Text line;
    const Text& f = status.format;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (f[i] == u'{' && i + 2 < f.size() && f[i + 2] == u'}' && f[i + 1] >= u'0' &&
            f[i + 1] <= u'3') {
            line += *fields[f[i + 1] - u'0'];
            i += 2;
        } else {
            line.push_back(f[i]);
        }
    }
    return line;
}

namespace {
std::string Escaped(const Text& text) {
    std::string out;
    for (char c : ToUtf8(text)) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': out += "\\x00"; break;
            default: out.push_back(c);
        }
    }
    return out;
}
}  // namespace

std::string DescribeStatus(const DecodedStatus& s, std::size_t byteCount) {
    return "category=" + Escaped(s.category) + "\tshow=" + Escaped(s.showDigit) +
           "\tformat=" + Escaped(s.format) + "\tfield0=" + Escaped(s.field0) +
           "\tfield1=" + Escaped(s.field1) + "\tfield2=" + Escaped(s.field2) +
           "\tfield3=" + Escaped(s.field3) + "\tline=" + Escaped(ShownLine(s)) +
           "\tbytes=" + std::to_string(byteCount);
}

}  // namespace velkora
