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

// The schedule as the courier's workers run it, on a clock of this test's:
// kMostWorkers workers take what is due, each messenger answers a send
// after its pace once its hang is over (within the send's wait, else the
// send times out), and time jumps to the next thing due. Each row's log has
// one entry per send: the record, the messenger and when the send began, in
// seconds, then "?" for a timeout, "x" for a refusal, "-" for a window gone.
// Throughout, what is due now is taken and the next due time lies ahead:
// a worker never waits for a time already past.
struct Messenger {
    const char* name;
    Handle window;
    std::uint64_t receiver;
    int paceMs = 0;
    int hungFromMs = 0, hungUntilMs = 0;  // hung meanwhile; -1: for ever
    char kind = 'M';                      // 'R' refuses every send
    int bornMs = 0, goneMs = -1;          // listed by the walk meanwhile
};

struct ScheduleCase {
    const char* name;
    std::vector<Messenger> messengers;
    const char* publishes;  // "a@0 b@1000": the record and when, in ms
    int untilMs;
    const char* log;
    const char* watch = nullptr;  // log this messenger's sends only
};

const std::vector<Messenger> TwelveHungAndOneHealthy() {
    std::vector<Messenger> m{{"h", 99, 99}};
    static const char* const names[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    for (Handle w = 1; w <= 12; ++w) m.push_back({names[w - 1], w, w, 0, 0, -1, 'M', 500});
    return m;
}

const ScheduleCase kScheduleCases[] = {
    {"answers at once", {{"1", 1, 1}}, "a@0 b@1000", 2000, "a1@0 b1@1"},
    {"times out once then answers, the same record again", {{"1", 1, 1, 0, 0, 2500}}, "a@0", 9000, "a1@0? a1@3"},
    {"times out for ever, pauses 1 2 4 5 s and waits 2 4 8 16 32 s", {{"1", 1, 1, 0, 0, -1}}, "a@0", 80000,
     "a1@0? a1@3? a1@9? a1@21? a1@42? a1@79?"},
    {"a newer record takes the place of one waiting", {{"1", 1, 1, 0, 0, 2500}}, "a@0 b@1000", 9000, "a1@0? b1@3"},
    {"refused, never tried again", {{"1", 1, 1, 0, 0, 0, 'R'}}, "a@0 b@1000", 9000, "a1@0x"},
    {"a window gone is forgotten", {{"1", 1, 1, 0, 0, -1, 'M', 0, 500}}, "a@0 b@1000", 9000, "a1@0-"},
    {"a hung receiver holds up no other", {{"1", 1, 1, 0, 0, -1}, {"2", 2, 2}}, "a@0 b@1000", 2500, "a1@0? a2@0 b2@1"},
    {"windows of one receiving thread wait with it", {{"3", 3, 34, 0, 0, 2500}, {"4", 4, 34, 0, 0, 2500}}, "a@0", 9000,
     "a3@0? a3@3 a4@3"},
    {"slower than the first waits, heard within a few tries, then each record once", {{"1", 1, 1, 8100}},
     "a@0 b@30000 c@40000", 60000, "a1@0? a1@3? a1@9? a1@21 b1@30 c1@40"},
    {"hung through the last record, ends on it once it answers", {{"1", 1, 1, 0, 500, 9000}}, "a@0 b@1000", 30000,
     "a1@0 b1@1? b1@4? b1@10"},
    {"more hung receiving threads than workers, the one that answers is served at once", TwelveHungAndOneHealthy(),
     "a@0 b@1000 c@2000 d@3000 e@4000 f@5000 g@6000 h@7000 i@8000 j@9000 k@10000 l@11000", 12000,
     "ah@0 bh@1 ch@2 dh@3 eh@4 fh@5 gh@6 hh@7 ih@8 jh@9 kh@10 lh@11", "h"},
    {"a handle given again to a window of another thread is served on that thread's line",
     {{"5", 5, 50, 0, 0, -1, 'M', 0, 1500}, {"5'", 5, 60, 0, 0, 0, 'M', 1500}}, "a@0 b@2000", 9000, "a5@0- b5'@2"},
};

void PrintTo(const ScheduleCase& c, std::ostream* os) { *os << c.name; }

class Schedule : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(Schedule, EachMessengerEndsOnTheNewestRecordItCanTake) {
    using Clock = DeliverySchedule::Clock;
    using Sent = DeliverySchedule::Sent;
    const ScheduleCase& c = GetParam();
    const auto at = [](int ms) { return Clock::time_point{} + Ms(ms); };
    const auto msOf = [](Clock::time_point t) { return static_cast<int>(std::chrono::duration_cast<Ms>(t.time_since_epoch()).count()); };
    std::vector<std::pair<int, char>> publishes;
    std::istringstream script(c.publishes);
    for (std::string p; script >> p;) publishes.emplace_back(std::stoi(p.substr(2)), p[0]);

    DeliverySchedule schedule;
    struct Flight {
        DeliverySchedule::Job job;
        Clock::time_point ends;
        Sent sent;
    };
    std::vector<Flight> flights;
    std::string log;
    auto listed = [&](const Messenger& m, int now) { return now >= m.bornMs && (m.goneMs < 0 || now < m.goneMs); };
    std::size_t published = 0;
    for (Clock::time_point now{}; now <= at(c.untilMs);) {
        const int ms = msOf(now);
        for (; published < publishes.size() && publishes[published].first <= ms; ++published) {
            const char16_t letter = static_cast<char16_t>(publishes[published].second);
            schedule.Publish(std::make_shared<const Parcel>(Parcel{kStatusCopyDataId, Text(1, letter)}));
        }
        std::sort(flights.begin(), flights.end(), [](const Flight& a, const Flight& b) { return a.ends < b.ends; });
        while (!flights.empty() && flights.front().ends <= now) {
            schedule.SendEnded(flights.front().job, flights.front().sent, flights.front().ends);
            flights.erase(flights.begin());
        }
        while (static_cast<int>(flights.size()) < DeliverySchedule::kMostWorkers) {
            const DeliverySchedule::Job job = schedule.Take(now);
            if (job.kind == DeliverySchedule::Job::None) break;
            if (job.kind == DeliverySchedule::Job::Walk) {
                DeliverySchedule::Walked found;
                for (const Messenger& m : c.messengers)
                    if (listed(m, ms)) found.emplace_back(m.window, m.receiver);
                schedule.WalkEnded(job, found);
                continue;
            }
            const Messenger& m = *std::find_if(c.messengers.begin(), c.messengers.end(), [&](const Messenger& m) {
                return m.window == job.window && m.receiver == job.receiver;
            });
            const bool hung = ms >= m.hungFromMs && (m.hungUntilMs < 0 || ms < m.hungUntilMs);
            const long long ready = m.hungUntilMs < 0 && hung ? -1 : (hung ? m.hungUntilMs : ms) + m.paceMs;
            Flight f{job, now, Sent::Delivered};
            if (m.kind == 'R') f.sent = Sent::Refused;
            else if (m.goneMs >= 0 && (ready < 0 || ready >= m.goneMs) && m.goneMs < ms + job.bound.count()) f = {job, at(m.goneMs), Sent::Gone};
            else if (ready < 0 || ready > ms + job.bound.count()) f = {job, now + job.bound, Sent::TimedOut};
            else f.ends = at(static_cast<int>(ready));
            if (!c.watch || std::string(c.watch) == m.name) {
                static const char* const marks[] = {"", "?", "x", "-"};
                std::ostringstream entry;
                entry << ' ' << static_cast<char>(job.parcel->payload[0]) << m.name << '@' << ms / 1000.0 << marks[static_cast<int>(f.sent)];
                log += entry.str();
            }
            flights.push_back(f);
        }
        // Nothing left due now but for a worker to come free; the next try lies ahead.
        ASSERT_TRUE(static_cast<int>(flights.size()) == DeliverySchedule::kMostWorkers || !schedule.Due(now)) << ms;
        const auto due = schedule.NextDue(now);
        ASSERT_GT(due, now) << ms;
        auto next = due;
        if (published < publishes.size()) next = std::min(next, at(publishes[published].first));
        for (const Flight& f : flights) next = std::min(next, f.ends);
        if (next == Clock::time_point::max()) break;
        now = next;
    }
    EXPECT_EQ(log.substr(1), c.log);
}

INSTANTIATE_TEST_SUITE_P(Courier, Schedule, ::testing::ValuesIn(kScheduleCases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        if (std::isalnum(static_cast<unsigned char>(*p))) name += *p;
    return name;
});

// The courier on threads of its own, as the program runs it, for what only
// threads show: how often its workers wake, and its end.
class Threaded : public Courier {
public:
    std::vector<Handle> windows;
    std::atomic<int> sendMs{0};   // how long window 1 takes over each send
    std::atomic<int> sends{0}, walks{0};

    ~Threaded() override {
        while (Workers() > 0) std::this_thread::sleep_for(Ms(10));
    }
    void Publish(char16_t c) { Courier::Publish(std::make_shared<const Parcel>(Parcel{kStatusCopyDataId, Text(1, c)})); }

protected:
    std::vector<Handle> Windows(WindowScope scope) override {
        if (scope == WindowScope::TopLevel) ++walks;
        return scope == WindowScope::TopLevel ? windows : std::vector<Handle>{};
    }
    std::uint64_t ReceiverOf(Handle window) override { return window; }
    Sent Send(Handle window, const StatusRecord&, Ms) override {
        ++sends;
        if (window == 1) std::this_thread::sleep_for(Ms(sendMs.load()));
        return Sent::Delivered;
    }
    bool StartWorker() override {
        std::thread([this] { Work(); }).detach();
        return true;
    }
    Ms Linger() const override { return Ms(50); }
};

// A messenger that stalls 90 ms over each record beside another line: the
// workers serve both and then sleep; none turns while the stall lasts.
TEST(CourierOnThreads, AStallBesideADueLineCostsNoWakeups) {
    Threaded courier;
    courier.windows = {1, 2};
    courier.sendMs = 90;
    for (char16_t c : {u'a', u'b', u'c'}) {
        courier.Publish(c);
        std::this_thread::sleep_for(Ms(200));
    }
    EXPECT_EQ(courier.sends, 6);
    // Each worker wakes once at most per publish (to end after lingering, or for the next record).
    EXPECT_LE(courier.Wakeups(), 6u);
}

// At the end, a worker inside a send is told to stop: when its send returns
// it ends, and nothing more is walked or sent.
TEST(CourierOnThreads, StoppedWorkersEndAfterTheirSendAndDoNothingMore) {
    Threaded courier;
    courier.windows = {1};
    courier.sendMs = 300;
    courier.Publish(u'a');
    while (courier.sends == 0) std::this_thread::sleep_for(Ms(5));
    EXPECT_FALSE(courier.Finish(Ms(20)));
    courier.Stop();
    courier.Publish(u'b');
    for (int i = 0; i < 100 && courier.Workers() > 0; ++i) std::this_thread::sleep_for(Ms(10));
    EXPECT_EQ(courier.Workers(), 0u);
    EXPECT_EQ(courier.sends, 1);
    EXPECT_EQ(courier.walks, 1);
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
