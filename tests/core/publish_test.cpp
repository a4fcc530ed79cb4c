#include <gtest/gtest.h>

#include "fake_platform.h"
#include "status/publish.h"

namespace velkora {
namespace {

using testing::FakePlatform;

void PublishPhrase(FakePlatform& platform, const Text& phrase) {
    PublishStatus(platform, u"", u"", phrase, u"Music", Text(), u"{1}{0}", kShowTrue);
}

TEST(PublishStatus, NoMessengerWindowSendsNothing) {
    FakePlatform platform;
    PublishPhrase(platform, u"merhaba");
    EXPECT_TRUE(platform.deliveries.empty());
}

TEST(PublishStatus, EveryWindowGetsTheIdenticalRecordInWalkOrder) {
    FakePlatform platform;
    platform.topLevel = {0x2002, 0x1001, 0x3003};
    PublishPhrase(platform, u"merhaba");
    ASSERT_EQ(platform.deliveries.size(), 3u);
    EXPECT_EQ(platform.deliveries[0].window, 0x2002u);
    EXPECT_EQ(platform.deliveries[1].window, 0x1001u);
    EXPECT_EQ(platform.deliveries[2].window, 0x3003u);
    for (const auto& d : platform.deliveries) {
        EXPECT_EQ(d.dwData, 1351u);
        EXPECT_EQ(d.bytes, platform.deliveries[0].bytes);
    }
    EXPECT_EQ(platform.deliveries[0].Decoded().field1, u"merhaba");
}

TEST(PublishStatus, HandlesWithTheTopBitSetAreServedToo) {
    FakePlatform platform;
    platform.topLevel = {0x1001, 0x80000010, 0xFFFFFFFF, 0xFFFFFFFF80000020, 0x2002};
    PublishPhrase(platform, u"x");
    std::vector<Handle> served;
    for (const auto& d : platform.deliveries) served.push_back(d.window);
    EXPECT_EQ(served, platform.topLevel);
}

TEST(PublishStatus, MessageOnlyWindowsAreServedOnceAfterTopLevelOnes) {
    FakePlatform platform;
    platform.topLevel = {0x1001};
    platform.messageOnly = {0x5005, 0x1001, 0x6006};
    PublishPhrase(platform, u"x");
    ASSERT_EQ(platform.deliveries.size(), 3u);
    EXPECT_EQ(platform.deliveries[0].window, 0x1001u);
    EXPECT_EQ(platform.deliveries[1].window, 0x5005u);
    EXPECT_EQ(platform.deliveries[2].window, 0x6006u);
}

TEST(PublishStatus, AWindowClosingWhileServedDoesNotCutTheWalkShort) {
    FakePlatform platform;
    platform.topLevel = {0x1001, 0x2002, 0x3003};
    platform.closeOnReceive = {0x1001};
    PublishPhrase(platform, u"x");
    ASSERT_EQ(platform.deliveries.size(), 3u);
    EXPECT_EQ(platform.deliveries[2].window, 0x3003u);
}

Text Field1Of(const testing::Delivered& d) { return d.Decoded().field1; }

std::vector<Text> PhrasesReceivedBy(const FakePlatform& platform, Handle window) {
    std::vector<Text> phrases;
    for (const auto& d : platform.deliveries)
        if (d.window == window) phrases.push_back(Field1Of(d));
    return phrases;
}

TEST(PublishStatus, ReturnsBeforeAnyReceiverIsServed) {
    FakePlatform platform;
    platform.deferWorkers = true;
    platform.topLevel = {0x1001, 0x2002};
    PublishPhrase(platform, u"x");
    EXPECT_TRUE(platform.deliveries.empty());
    EXPECT_EQ(platform.startedWorkers, platform.topLevel);
    platform.RunWorkers();
    EXPECT_EQ(platform.deliveries.size(), 2u);
    EXPECT_EQ(platform.Workers(), 0u);  // nothing is kept once delivered
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
    EXPECT_EQ(PhrasesReceivedBy(platform, 0x1001), (std::vector<Text>{u"a", u"d"}));
}

TEST(PublishStatus, ASlowReceiverHoldsUpNoOther) {
    FakePlatform platform;
    platform.deferWorkers = true;
    platform.topLevel = {0x1001, 0x2002};
    PublishPhrase(platform, u"a");
    // While the first receiver handles "a", the second one's worker runs and
    // two more records are published.
    platform.whileSending = [&](Handle window) {
        if (window != 0x1001) return;
        platform.whileSending = nullptr;
        platform.RunWorker(0x2002);
        for (const char16_t* phrase : {u"b", u"c"}) {
            PublishPhrase(platform, phrase);
            platform.RunWorker(0x2002);
        }
    };
    platform.RunWorkers();
    EXPECT_EQ(PhrasesReceivedBy(platform, 0x2002), (std::vector<Text>{u"a", u"b", u"c"}));
    EXPECT_EQ(PhrasesReceivedBy(platform, 0x1001), (std::vector<Text>{u"a", u"c"}));
}

TEST(PublishStatus, ARecordThatTimedOutIsNotSentAgain) {
    FakePlatform platform;
    platform.topLevel = {0x1001, 0x2002};
    platform.hungWindows = {0x1001};
    PublishPhrase(platform, u"a");
    EXPECT_EQ(std::count(platform.attempts.begin(), platform.attempts.end(), 0x1001u), 1);
    EXPECT_EQ(PhrasesReceivedBy(platform, 0x2002), (std::vector<Text>{u"a"}));
    EXPECT_EQ(platform.Workers(), 0u);
    EXPECT_TRUE(platform.Finish(std::chrono::milliseconds(0)));
    platform.hungWindows.clear();  // answering again: the next record reaches it
    PublishPhrase(platform, u"b");
    EXPECT_EQ(PhrasesReceivedBy(platform, 0x1001), (std::vector<Text>{u"b"}));
}

// At the end, records under way are waited for, a receiver that timed out is not.
TEST(PublishStatus, FinishWaitsForWorkUnderWayButNotForAHungReceiver) {
    FakePlatform platform;
    platform.deferWorkers = true;
    platform.topLevel = {0x1001};
    PublishPhrase(platform, u"a");
    EXPECT_FALSE(platform.Finish(std::chrono::milliseconds(0)));
    platform.hungWindows = {0x1001};
    // Inside the first send it is under way (and a newer record comes); once
    // the window has timed out, its next send is not waited for.
    platform.whileSending = [&](Handle) {
        const bool first = platform.attempts.size() == 1;
        EXPECT_EQ(platform.Finish(std::chrono::milliseconds(0)), !first);
        if (first) PublishPhrase(platform, u"b");
    };
    platform.RunWorkers();
    EXPECT_EQ(platform.attempts.size(), 2u);
    EXPECT_TRUE(platform.Finish(std::chrono::milliseconds(0)));
}

TEST(PublishStatus, AWalkThatGoesRoundInCirclesEnds) {
    class Circular : public FakePlatform {
        Handle FindMessengerWindow(WindowScope scope, Handle after) override {
            return scope == WindowScope::TopLevel ? (after % 3) + 1 : 0;
        }
    } platform;
    PublishPhrase(platform, u"x");
    EXPECT_EQ(platform.deliveries.size(), 3u);
}

}  // namespace
}  // namespace velkora
