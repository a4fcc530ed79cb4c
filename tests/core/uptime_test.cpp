#include "form_fixture.h"
#include "sources/uptime.h"

namespace velkora::testing {
namespace {

TEST(UptimeSentence, TableOfTickCounts) {
    struct Case { std::uint64_t ms; const char16_t* sentence; };
    const Case cases[] = {
        {0, u"0 saat ve 0 dakikadır sistemim açık"},
        {59999, u"0 saat ve 0 dakikadır sistemim açık"},
        {60000, u"0 saat ve 1 dakikadır sistemim açık"},
        {3599999, u"0 saat ve 59 dakikadır sistemim açık"},
        {3600000, u"1 saat ve 0 dakikadır sistemim açık"},
        {86400000, u"24 saat ve 0 dakikadır sistemim açık"},
        {90061000, u"25 saat ve 1 dakikadır sistemim açık"},
        {2147483648, u"596 saat ve 31 dakikadır sistemim açık"},
        {4294967295, u"1193 saat ve 2 dakikadır sistemim açık"},
        // Past 2^32 ms (49.7 days) the sentence goes on counting.
        {4294967296 + 60000, u"1193 saat ve 3 dakikadır sistemim açık"},
        {100ull * 86400000, u"2400 saat ve 0 dakikadır sistemim açık"},
    };
    for (const Case& c : cases) EXPECT_EQ(UptimeSentence(c.ms, u""), c.sentence) << c.ms;
}

TEST(UptimeSentence, Text1IsAppendedUnchanged) {
    EXPECT_EQ(UptimeSentence(60000, u" [velkora.example]"), u"0 saat ve 1 dakikadır sistemim açık [velkora.example]");
    EXPECT_EQ(UptimeSentence(60000, u"x\\0"), u"0 saat ve 1 dakikadır sistemim açıkx\\0");
}

class Uptime : public FormTest {};

TEST_F(Uptime, Timer2RefreshesText10AndPublishesNothing) {
    platform.tick = 3600000;
    TimerN(2).Fire();
    EXPECT_EQ(TextBoxNamed("Text10").text, u"1 saat ve 0 dakikadır sistemim açık [velkora.example]");
    EXPECT_TRUE(platform.deliveries.empty());
}

TEST_F(Uptime, Timer3PublishesWhatText10HoldsNotAFreshSentence) {
    platform.tick = 3600000;
    TimerN(2).Fire();
    platform.tick = 7200000;
    Check(1).UserClick();
    Button(1).UserClick();
    TimerN(3).Fire();
    auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].field0, u"1 saat ve 0 dakikadır sistemim açık [velkora.example]");
    EXPECT_EQ(sent[1].format, u"{0}");
}

}  // namespace
}  // namespace velkora::testing
