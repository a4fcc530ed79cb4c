#include <gtest/gtest.h>

#include "platform/courier.h"
#include "status/status_payload.h"

namespace velkora {
namespace {

StatusRecord Record(const Courier::Parcel& parcel) { return parcel.Record(); }

TEST(StatusPayload, TurnOffRecordIs32UnitsAnd64Bytes) {
    const Text p = BuildStatusPayload(u"", u"", u"", u"Music", Text(), u"{0} - {1}", kShowFalse);
    EXPECT_EQ(p, Text(u"\\0Music\\00\\0{0} - {1}\\0\\0\\0\\0\\0") + u'\0');
    EXPECT_EQ(p.size(), 32u);
    EXPECT_EQ(Record({kStatusCopyDataId, p}).cbData, 64u);
}

TEST(StatusPayload, UptimeSentenceIs61UnitsAnd122Bytes) {
    const Text sentence = u"0 saat ve 0 dakikadır sistemim açık";
    ASSERT_EQ(sentence.size(), 35u);
    const Text p = BuildStatusPayload(sentence, u"", u"", u"Music", Text(), u"{0}", kShowTrue);
    EXPECT_EQ(p, u"\\0Music\\01\\0{0}\\0" + sentence + u"\\0\\0\\0\\0" + u'\0');
    EXPECT_EQ(p.size(), 61u);
    const Courier::Parcel parcel{kStatusCopyDataId, p};
    EXPECT_EQ(parcel.Record().cbData, 122u);
    EXPECT_EQ(parcel.Record().dwData, 1351u);
    EXPECT_EQ(parcel.Record().lpData, parcel.payload.data());
}

TEST(StatusPayload, FieldsStandInTheirOwnPlacesDespiteTheParameterOrder) {
    // Parameters: Field0, Field2, Field1, Category, Field3, Format, Show.
    const Text p = BuildStatusPayload(u"A", u"C", u"B", u"Games", u"D", u"{1}{0}", kShowTrue);
    EXPECT_EQ(p, Text(u"\\0Games\\01\\0{1}{0}\\0A\\0B\\0C\\0D\\0") + u'\0');
}

TEST(StatusPayload, TextsTravelUnescaped) {
    const Text tricky = Text(u"a\\0b") + u'\0' + u"c";
    const Text p = BuildStatusPayload(u"", u"", tricky, u"Office", Text(), u"{1}{0}", kShowTrue);
    EXPECT_NE(p.find(tricky), Text::npos);
    EXPECT_EQ(p.size(), 18 + 6 + 6 + tricky.size());
}

// Whatever an edit box left behind, no record carries half a character.
TEST(StatusPayload, AHalfOfASurrogatePairStandingAloneIsDropped) {
    const Text pair = u"\xD83D\xDE00";  // one emoji
    struct Case { Text in, out; };
    for (const Case& c : {Case{u"ab" + pair, u"ab" + pair}, Case{u"ab\xDE00", u"ab"}, Case{u"ab\xD83D", u"ab"},
                          Case{u"\xDE00\xD83Dx", u"x"}, Case{pair + u"\xD83D" + pair, pair + pair}}) {
        const Text p = BuildStatusPayload(c.in, u"", c.in, c.in, c.in, c.in, kShowTrue);
        EXPECT_EQ(p, BuildStatusPayload(c.out, u"", c.out, c.out, c.out, c.out, kShowTrue)) << ToUtf8(c.out);
    }
}

TEST(StatusPayload, ShowDigitIsTheAbsoluteValue) {
    struct Case { std::int16_t show; const char16_t* digit; };
    for (const Case c : {Case{-1, u"1"}, Case{0, u"0"}, Case{1, u"1"}, Case{-32768, u"32768"}}) {
        const Text p = BuildStatusPayload(u"", u"", u"", u"", u"", u"", c.show);
        EXPECT_EQ(p.substr(4, p.find(u"\\0", 4) - 4), c.digit) << c.show;
    }
}

TEST(StatusPayload, ByteCountIsAlwaysTwiceTheUnitsClosingNulIncluded) {
    for (std::size_t n : {0u, 1u, 7u, 100u, 1000u}) {
        const Text p = BuildStatusPayload(Text(n, u'x'), u"", u"", u"Music", u"", u"{0}", kShowTrue);
        EXPECT_EQ(p.back(), u'\0');
        EXPECT_EQ(p.size(), 18 + 5 + 3 + n);
        EXPECT_EQ(Record({kStatusCopyDataId, p}).cbData, 2 * p.size());
    }
}

}  // namespace
}  // namespace velkora
