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

TEST(PublishStatus, OtherWindowsOfAHungThreadAreSkippedForThatRecord) {
    FakePlatform platform;
    platform.topLevel = {0x1001, 0x2002, 0x3003, 0x4004};
    platform.threads = {{0x1001, 7}, {0x2002, 9}, {0x3003, 7}, {0x4004, 8}};
    platform.hungThreads = {7};
    PublishPhrase(platform, u"x");
    EXPECT_EQ(platform.attempts, (std::vector<Handle>{0x1001, 0x2002, 0x4004}));
    ASSERT_EQ(platform.deliveries.size(), 2u);
    platform.hungThreads.clear();  // answering again: the next record reaches every window
    PublishPhrase(platform, u"y");
    EXPECT_EQ(platform.deliveries.size(), 6u);
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
