#include <gtest/gtest.h>

#include <sstream>

#include "fake_platform.h"
#include "status/publish.h"

namespace velkora {
namespace {

using testing::FakePlatform;
using Ms = std::chrono::milliseconds;

void PublishPhrase(FakePlatform& platform, const Text& phrase) {
    PublishStatus(platform, u"", u"", phrase, u"Music", Text(), u"{1}{0}", kShowTrue);
}

std::vector<Handle> Served(const FakePlatform& platform) {
    std::vector<Handle> served;
    for (const auto& d : platform.deliveries) served.push_back(d.window);
    return served;
}

TEST(PublishStatus, NoMessengerWindowSendsNothing) {
    FakePlatform platform;
    PublishPhrase(platform, u"merhaba");
    EXPECT_TRUE(platform.attempts.empty());
}

TEST(PublishStatus, EveryWindowGetsTheIdenticalRecordInWalkOrder) {
    FakePlatform platform;
    platform.topLevel = {0x2002, 0x1001, 0x3003};
    PublishPhrase(platform, u"merhaba");
    EXPECT_EQ(Served(platform), platform.topLevel);
    for (const auto& d : platform.deliveries) {
        EXPECT_EQ(d.dwData, 1351u);
        EXPECT_EQ(d.bytes, platform.deliveries[0].bytes);
    }
    EXPECT_EQ(platform.deliveries[0].Decoded().field1, u"merhaba");
}

TEST(PublishStatus, EveryHandleTheWalkYieldsIsServedOnceTopLevelFirst) {
    FakePlatform platform;
    // Handles with the top bit set are no negative numbers; a message-only
    // window the top-level walk reached already is served once.
    platform.topLevel = {0x1001, 0x80000010, 0xFFFFFFFF, 0xFFFFFFFF80000020};
    platform.messageOnly = {0x5005, 0x1001, 0x6006};
    PublishPhrase(platform, u"x");
    EXPECT_EQ(Served(platform), (std::vector<Handle>{0x1001, 0x80000010, 0xFFFFFFFF, 0xFFFFFFFF80000020, 0x5005, 0x6006}));
}

TEST(PublishStatus, AWalkThatGoesRoundInCirclesEnds) {
    class Circular : public FakePlatform {
        Handle NextWindow(WindowScope scope, Handle after) override {
            return scope == WindowScope::TopLevel ? (after % 3) + 1 : 0;
        }
    } platform;
    PublishPhrase(platform, u"x");
    EXPECT_EQ(platform.deliveries.size(), 3u);
}

TEST(PublishStatus, ReturnsBeforeAnyReceiverIsServed) {
    FakePlatform platform;
    platform.deferDelivery = true;
    platform.topLevel = {0x1001, 0x2002};
    PublishPhrase(platform, u"x");
    EXPECT_TRUE(platform.attempts.empty());
    platform.Deliver();
    EXPECT_EQ(Served(platform), platform.topLevel);
}

// While a receiver handles one record, the publisher goes on: of the records
// that pile up meanwhile only the newest is kept, and nothing older follows
// a newer one.
TEST(PublishStatus, ABusyReceiverGetsTheNewestWaitingRecordNext) {
    FakePlatform platform;
    platform.topLevel = {0x1001};
    platform.whileSending = [&](Handle) {
        platform.whileSending = nullptr;
        for (const char16_t* phrase : {u"b", u"c", u"d"}) PublishPhrase(platform, phrase);
    };
    PublishPhrase(platform, u"a");
    ASSERT_EQ(platform.deliveries.size(), 2u);
    EXPECT_EQ(platform.deliveries[0].Decoded().field1, u"a");
    EXPECT_EQ(platform.deliveries[1].Decoded().field1, u"d");
}

// What each window's sends met, step by step. A script: "pX" publishes the
// phrase X, "+N" lets N ms pass; what is due runs at once. Windows 3 and 4
// share a receiving thread; the others have one each. The log has one entry
// per send, the phrase and the window, then "?" for a timeout, "x" for a
// refusal, "-" for a window gone; "/" marks each "+N".
struct DeliveryCase {
    const char* name;
    std::vector<Handle> windows;
    std::map<Handle, std::string> answers;
    const char* script;
    const char* log;
};

const DeliveryCase kDeliveryCases[] = {
    {"timeout then the same again after a pause", {1}, {{1, "TD"}}, "pa +999 +1", "a1? / / a1"},
    {"timeout then a newer record, never the older", {1}, {{1, "TD"}}, "pa pb +1000", "a1? / b1"},
    {"pauses grow 1 s, 2 s, 4 s, then 5 s", {1}, {{1, "TTTTD"}}, "pa +1000 +1999 +1 +4000 +5000", "a1? / a1? / / a1? / a1? / a1"},
    {"third timeout with a record waiting", {1}, {{1, "TTTD"}}, "pa +1000 pb +2000 +4000", "a1? / a1? / b1? / b1"},
    {"refused, never tried again", {1}, {{1, "R"}}, "pa pb +5000", "a1x /"},
    {"window gone, forgotten", {1}, {{1, "G"}}, "pa pb +5000", "a1- /"},
    {"a hung receiver holds up no other", {1, 2}, {{1, "TTD"}}, "pa pb +1000 +2000", "a1? a2 b2 / b1? / b1"},
    {"windows of one receiving thread wait with it", {3, 4}, {{3, "TD"}}, "pa +1000", "a3? / a3 a4"},
};

class Delivery : public ::testing::TestWithParam<DeliveryCase> {};

TEST_P(Delivery, EachWindowEndsOnTheNewestRecord) {
    const DeliveryCase& c = GetParam();
    FakePlatform platform;
    platform.topLevel = c.windows;
    platform.receivers = {{3, 34}, {4, 34}};
    platform.answers = c.answers;
    std::istringstream script(c.script);
    std::string log;
    std::size_t logged = 0;
    for (std::string step; script >> step;) {
        if (step[0] == 'p') {
            PublishPhrase(platform, Text(1, static_cast<char16_t>(step[1])));
        } else {
            log += " /";
            platform.Advance(Ms(std::stoi(step.substr(1))));
        }
        static const char* const marks[] = {"", "?", "x", "-"};
        for (; logged < platform.attempts.size(); ++logged) {
            const auto& a = platform.attempts[logged];
            log += " " + std::string(1, static_cast<char>(a.field1[0])) + std::to_string(a.window) + marks[static_cast<int>(a.sent)];
        }
    }
    EXPECT_EQ(log.substr(1), c.log);
}

INSTANTIATE_TEST_SUITE_P(Courier, Delivery, ::testing::ValuesIn(kDeliveryCases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    return name;
});

// Each try after a timeout may wait longer: a messenger slower than the first
// bound is heard answering at the second.
TEST(PublishStatus, ATryAfterATimeoutWaitsLonger) {
    FakePlatform platform;
    platform.topLevel = {1};
    platform.answers = {{1, "TTTTD"}};
    PublishPhrase(platform, u"a");
    for (int ms : {1000, 2000, 4000, 5000}) platform.Advance(Ms(ms));
    std::vector<long long> bounds;
    for (const auto& a : platform.attempts) bounds.push_back(a.bound.count());
    EXPECT_EQ(bounds, (std::vector<long long>{2000, 4000, 8000, 8000, 8000}));
}

// At the end, a record under way is waited for; a receiver that has timed
// out is not.
TEST(PublishStatus, FinishWaitsForWorkUnderWayButNotForAHungReceiver) {
    FakePlatform platform;
    platform.deferDelivery = true;
    platform.topLevel = {1};
    PublishPhrase(platform, u"a");
    EXPECT_FALSE(platform.Finish(Ms(0)));  // not yet walked
    platform.answers = {{1, "T"}};
    platform.whileSending = [&](Handle) { EXPECT_FALSE(platform.Finish(Ms(0))); };
    platform.Deliver();
    EXPECT_TRUE(platform.Finish(Ms(0)));
}

}  // namespace
}  // namespace velkora
