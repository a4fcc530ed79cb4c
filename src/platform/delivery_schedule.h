// What delivery does next, decided without threads, waiting or a clock of
// its own: the time is passed in. The courier's workers ask it for a job,
// carry the job out, and tell it how the job ended.
//
// Each rule serves a case that was met:
// - Every messenger window keeps the newest record published for it until
//   it has taken it, a newer one takes its place, or the window is gone: so
//   a messenger that answers late, or hung and answers again, ends on the
//   last record, and no record ever follows a newer one to a window.
// - Windows are served in lines, one per receiving thread, one send at a
//   time: the windows of one thread answer one at a time anyway and hang
//   together. Lines take turns, the one served longest ago first.
// - A send that timed out is tried again after a pause (1, 2, 4, then every
//   5 s), each time waiting twice as long as the last (2, 4, 8, 16 s...):
//   a messenger of any pace is heard within a few tries, after which it gets
//   each record once, and its line keeps the longer wait while it stays
//   slower than the first (a messenger of 8.1 s a record once got the same
//   record every 13 s for ever under a fixed longest wait). The same record
//   may reach a window twice meanwhile, which is harmless.
// - A send the system refuses (a messenger the system shields from Velkora)
//   is not tried again while that window lasts.
// - Lines that have not answered within the first wait at their last send
//   (new, slow or hung ones) take at most kMostWorkers - 1 sends at once:
//   one worker is always there for lines that answer, however many
//   receiving threads hang (any local program can make windows of the
//   messenger's class and hang them).
// - A window is known by its handle and its receiving thread together, both
//   asked at every walk: a handle the system gave again to a window of
//   another thread is a new window on that thread's line.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace velkora {

enum class WindowScope { TopLevel, MessageOnly };

// One record, shared by every window it is posted to: the payload and the
// WM_COPYDATA identifier it travels under.
struct Parcel {
    std::uint32_t dwData;
    Text payload;
    StatusRecord Record() const {
        return StatusRecord{dwData, static_cast<std::uint32_t>(payload.size() * sizeof(char16_t)), payload.data()};
    }
};

class DeliverySchedule {
public:
    using Clock = std::chrono::steady_clock;
    using Ms = std::chrono::milliseconds;
    enum class Sent { Delivered, TimedOut, Refused, Gone };

    static constexpr int kMostWorkers = 8;
    static constexpr Ms kFirstBound{2000};
    static constexpr int kMostDoublings = 20;  // 2 s doubled 20 times is 24 days, within a UINT of ms

    struct Job {
        enum Kind { None, Walk, Send } kind = None;
        Handle window = 0;
        std::uint64_t receiver = 0;
        std::shared_ptr<const Parcel> parcel;
        Ms bound{};
        Clock::time_point started{};
        bool trusted = false;  // its line had answered within the first wait
    };
    using Walked = std::vector<std::pair<Handle, std::uint64_t>>;  // each window with its receiving thread

    // `parcel` is now the newest record for every messenger window; the next
    // job is a walk that finds them.
    void Publish(std::shared_ptr<const Parcel> parcel);

    // The job to do now, if any, marked as under way.
    Job Take(Clock::time_point now);
    // A walk's outcome: the windows it found (an empty list when it failed).
    void WalkEnded(const Job& walk, const Walked& windows);
    // A send's outcome, at `now`.
    void SendEnded(const Job& send, Sent sent, Clock::time_point now);

    // Whether Take(now) has a job.
    bool Due(Clock::time_point now) const;
    // When something that waits for a time comes due: always after `now`
    // (what is due now is taken, or waits for a send to end); max() when
    // nothing waits for a time.
    Clock::time_point NextDue(Clock::time_point now) const;
    // Nothing under way and nothing due now: what is left waits for a try
    // after a timeout, if anything.
    bool Quiet(Clock::time_point now) const;
    int SendsUnderWay() const { return sends_; }

    static Ms Bound(int doublings) { return kFirstBound * (1LL << doublings); }
    static Ms Pause(int timeouts) { return Ms(timeouts <= 0 ? 0 : timeouts >= 4 ? 5000 : 1000 << (timeouts - 1)); }

private:
    using Key = std::pair<Handle, std::uint64_t>;  // window, receiving thread
    struct Box {
        std::shared_ptr<const Parcel> waiting;  // the newest record it has not taken
        bool queued = false, sending = false, refused = false;
        std::uint64_t walk = 0;  // the last walk that found it
    };
    struct Line {
        std::vector<Key> queue;     // windows with a record waiting, in turn
        std::size_t windows = 0;
        bool busy = false;          // a send to one of them is under way
        bool trusted = false;       // its last send was taken within the first wait
        int timeouts = 0;           // in a row
        int doublings = 0;          // of the first wait, for its next send
        Clock::time_point due{};    // its next try, not before
        std::uint64_t turn = 0;     // when it was last served (or found)
    };

    bool Ready(const Line& line, Clock::time_point now) const;
    void Queue(const Key& key, Box& box);
    void Forget(std::map<Key, Box>::iterator box);

    std::shared_ptr<const Parcel> unwalked_;
    bool walking_ = false;
    std::map<Key, Box> boxes_;
    std::map<std::uint64_t, Line> lines_;
    std::uint64_t turns_ = 0, walks_ = 0;
    int sends_ = 0, untrustedSends_ = 0;
};

}  // namespace velkora
