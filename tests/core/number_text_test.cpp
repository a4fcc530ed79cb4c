#include <gtest/gtest.h>

#include "platform/runtime_error.h"
#include "sources/number_text.h"

namespace velkora {
namespace {

TEST(DoubleText, MegabyteFiguresInCommaAndDotLocales) {
    struct Case { std::uint64_t bytes; const char16_t* comma; const char16_t* dot; };
    const Case cases[] = {
        {268435456, u"256", u"256"},
        {536330240, u"511,484375", u"511.484375"},
        {1073741824, u"1024", u"1024"},
        {2147483647, u"2047,99999904633", u"2047.99999904633"},
        {2147483648, u"2048", u"2048"},
        {4294967295, u"4095,99999904633", u"4095.99999904633"},
    };
    for (const Case& c : cases) {
        const double mb = static_cast<double>(c.bytes) / 1024 / 1024;
        EXPECT_EQ(DoubleText(mb, u","), c.comma) << c.bytes;
        EXPECT_EQ(DoubleText(mb, u"."), c.dot) << c.bytes;
    }
}

TEST(DoubleText, ExactTieAtTheFifteenthDigitRoundsAwayFromZero) {
    EXPECT_EQ(DoubleText(619479.9853515625, u"."), u"619479.985351563");
    EXPECT_EQ(DoubleText(-619479.9853515625, u"."), u"-619479.985351563");
    EXPECT_EQ(DoubleText(0.5, u"."), u"0.5");
}

TEST(DoubleText, RoundingCarriesThroughNinesAndDropsTrailingZeros) {
    EXPECT_EQ(DoubleText(9999.9999999999999, u"."), u"10000");
    EXPECT_EQ(DoubleText(0.1, u"."), u"0.1");
    EXPECT_EQ(DoubleText(1.0 / 3, u","), u"0,333333333333333");
    EXPECT_EQ(DoubleText(0, u","), u"0");
    EXPECT_EQ(DoubleText(-11, u","), u"-11");
    EXPECT_EQ(DoubleText(0.001, u","), u"0,001");
}

TEST(DoubleText, ExtremeMagnitudesUseAnExponent) {
    EXPECT_EQ(DoubleText(1e15, u"."), u"1E+15");
    EXPECT_EQ(DoubleText(123456789012345.0, u"."), u"123456789012345");
    EXPECT_EQ(DoubleText(1.5e-7, u","), u"1,5E-07");
}

TEST(ParseNumber, AcceptsTheLocalesNumbersOnly) {
    EXPECT_EQ(ParseNumber(u"10", u","), 10);
    EXPECT_EQ(ParseNumber(u" -1 ", u","), -1);
    EXPECT_EQ(ParseNumber(u"+7", u","), 7);
    EXPECT_EQ(ParseNumber(u"2,5", u","), 2.5);
    EXPECT_EQ(ParseNumber(u"2.5", u"."), 2.5);
    for (const char16_t* bad : {u"", u" ", u"abc", u"1-", u"2.5", u"1,2,3", u"-"}) {
        try {
            ParseNumber(bad, u",");
            ADD_FAILURE() << "accepted a bad number";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Number(), 13);
        }
    }
}

}  // namespace
}  // namespace velkora
