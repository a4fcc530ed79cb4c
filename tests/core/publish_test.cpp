#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

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

// The courier on threads of its own, as the program runs it, on a tenth of
// its times. Each send takes the time its window's script says; only the
// order of what happened is checked, never a duration.
class Threaded : public Courier {
public:
    struct Try {
        Handle window;
        Clock::time_point start, end;
        Sent sent;
    };
    // How each window's sends go: what the n-th one (from 1) answers, and how long it takes.
    using Script = std::function<std::pair<Sent, Ms>(int)>;
    std::vector<Handle> windows;
    std::atomic<long long> lingerMs{50};

    void SetScript(Handle window, Script s) {
        std::lock_guard<std::mutex> hold(lock);
        script[window] = std::move(s);
    }
    ~Threaded() override {
        while (Workers() > 0) std::this_thread::sleep_for(Ms(10));
    }
    void Publish(char16_t c) { Courier::Publish(std::make_shared<const Parcel>(Parcel{kStatusCopyDataId, Text(1, c)})); }
    std::vector<Try> Tries() {
        std::lock_guard<std::mutex> hold(lock);
        return tries;
    }
    bool Settle() {
        for (int i = 0; i < 500 && !Finish(Ms(0)); ++i) std::this_thread::sleep_for(Ms(10));
        return Finish(Ms(0));
    }

protected:
    std::vector<Handle> Windows(WindowScope scope) override { return scope == WindowScope::TopLevel ? windows : std::vector<Handle>{}; }
    std::uint64_t ReceiverOf(Handle window) override { return window; }
    Sent Send(Handle window, const StatusRecord&, Ms) override {
        int n;
        Script s;
        {
            std::lock_guard<std::mutex> hold(lock);
            n = ++sends[window];
            s = script[window];
        }
        const auto start = Clock::now();
        const auto [sent, takes] = s ? s(n) : std::pair{Sent::Delivered, Ms(0)};
        std::this_thread::sleep_for(takes);
        std::lock_guard<std::mutex> hold(lock);
        tries.push_back({window, start, Clock::now(), sent});
        return sent;
    }
    bool StartWorker() override {
        std::thread([this] { Work(); }).detach();
        return true;
    }
    Ms Linger() const override { return Ms(lingerMs.load()); }
    Ms SendBound(int slowness) const override { return Courier::SendBound(slowness) / 10; }
    Ms Pause(int timeouts) const override { return Courier::Pause(timeouts) / 10; }

private:
    std::mutex lock;
    std::map<Handle, Script> script;
    std::map<Handle, int> sends;
    std::vector<Try> tries;
};

// Whether window `w`'s last try went while window `slow` was inside one send.
bool AnsweredWhileInside(const std::vector<Threaded::Try>& tries, Handle w, Handle slow, int slowTry) {
    std::vector<Threaded::Try> slowTries, its;
    for (const auto& t : tries) {
        if (t.window == slow) slowTries.push_back(t);
        if (t.window == w) its.push_back(t);
    }
    if (its.empty() || static_cast<int>(slowTries.size()) < slowTry) return false;
    const auto& inside = slowTries[static_cast<std::size_t>(slowTry - 1)];
    return its.back().sent == Courier::Sent::Delivered && its.back().start > inside.start && its.back().end < inside.end;
}

// A try that comes due is made on time while another line's send holds a
// worker for long: a worker stays to make it.
TEST(CourierOnThreads, ADueTryIsNotHeldBehindAnotherLinesLongSend) {
    Threaded courier;
    courier.windows = {1, 2};
    courier.SetScript(1, [](int) { return std::pair{Courier::Sent::TimedOut, Ms(1500)}; });
    courier.SetScript(2, [](int n) { return std::pair{n <= 2 ? Courier::Sent::TimedOut : Courier::Sent::Delivered, Ms(0)}; });
    courier.Publish(u'a');
    std::this_thread::sleep_for(Ms(1600));
    EXPECT_TRUE(AnsweredWhileInside(courier.Tries(), 2, 1, 1));
    courier.SetScript(1, nullptr);  // it answers again, and the workers can end
    EXPECT_TRUE(courier.Settle());
}

// A line that answered at once, then hangs, holds up no other line while a
// worker is free.
TEST(CourierOnThreads, ALineThatStartsToHangHoldsUpNoOther) {
    Threaded courier;
    courier.lingerMs = 2000;
    courier.windows = {1, 2, 3};
    courier.Publish(u'a');
    ASSERT_TRUE(courier.Settle());
    courier.SetScript(1, [](int n) { return std::pair{Courier::Sent::Delivered, Ms(n == 2 ? 1200 : 0)}; });
    courier.Publish(u'b');
    ASSERT_TRUE(courier.Settle());
    const auto tries = courier.Tries();
    EXPECT_TRUE(AnsweredWhileInside(tries, 2, 1, 2));
    EXPECT_TRUE(AnsweredWhileInside(tries, 3, 1, 2));
    courier.lingerMs = 0;
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
