#include <gtest/gtest.h>

#include "status_decode.h"
#include "status/status_payload.h"

namespace velkora {
namespace {

DecodeResult Decode(const Text& payload, std::uint64_t dwData = 1351) {
    return DecodeStatusRecord(dwData, payload.data(), payload.size() * 2);
}

TEST(StatusDecode, EveryPatternRoundTrips) {
    struct Case { Text f0, f1, category, format; std::int16_t show; Text line; };
    const Case cases[] = {
        {u"İşlemci Hızım: 2394 MHz", u"", u"Music", u"{0}", kShowTrue, u"İşlemci Hızım: 2394 MHz"},
        {u"", u"Who Wants To Live Forever?", u"Games", u"{1}{0}", kShowTrue, u"Who Wants To Live Forever?"},
        {u"", u"", u"Music", u"{0} - {1}", kShowFalse, u""},
    };
    for (const Case& c : cases) {
        const Text p = BuildStatusPayload(c.f0, u"", c.f1, c.category, Text(), c.format, c.show);
        auto r = Decode(p);
        ASSERT_TRUE(r.status) << r.error;
        EXPECT_EQ(r.status->category, c.category);
        EXPECT_EQ(r.status->format, c.format);
        EXPECT_EQ(r.status->field0, c.f0);
        EXPECT_EQ(r.status->field1, c.f1);
        EXPECT_EQ(r.status->Shown(), c.show != 0);
        EXPECT_EQ(ShownLine(*r.status), c.line);
    }
}

TEST(StatusDecode, MalformedRecordsAreReported) {
    const Text good = BuildStatusPayload(u"a", u"", u"", u"Music", u"", u"{0}", kShowTrue);
    struct Case { const char* name; Text payload; std::size_t bytes; std::uint64_t dwData; };
    const Case cases[] = {
        {"wrong dwData", good, good.size() * 2, 1350},
        {"odd byte count", good, good.size() * 2 - 1, 1351},
        {"short", good.substr(0, 10), 20, 1351},
        {"no closing NUL", good.substr(0, good.size() - 1) + u"x", good.size() * 2, 1351},
        {"missing separator", Text(u"\\0Music\\01\\0{0}\\0a\\0\\0\\0") + u'\0', 0, 1351},
        {"extra separator", Text(u"\\0Music\\01\\0{0}\\0a\\0b\\0\\0\\0\\0") + u'\0', 0, 1351},
        {"show not a digit", Text(u"\\0Music\\0x\\0{0}\\0a\\0\\0\\0\\0") + u'\0', 0, 1351},
    };
    for (const Case& c : cases) {
        const std::size_t bytes = c.bytes ? c.bytes : c.payload.size() * 2;
        auto r = DecodeStatusRecord(c.dwData, c.payload.data(), bytes);
        EXPECT_FALSE(r.status) << c.name;
        EXPECT_FALSE(r.error.empty()) << c.name;
    }
    EXPECT_FALSE(DecodeStatusRecord(1351, nullptr, 64).status);
}

TEST(StatusDecode, DescriptionKeepsEachRecordOnOneLine) {
    const Text p = BuildStatusPayload(u"a\tb\nc", u"", u"", u"Music", u"", u"{0}", kShowTrue);
    auto r = Decode(p);
    ASSERT_TRUE(r.status);
    const std::string line = DescribeStatus(*r.status, p.size() * 2);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_NE(line.find("field0=a\\tb\\nc"), std::string::npos);
    EXPECT_NE(line.find("bytes=" + std::to_string(p.size() * 2)), std::string::npos);
}

}  // namespace
}  // namespace velkora
