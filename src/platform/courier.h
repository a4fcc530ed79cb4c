// Delivery of status records off the window's thread.
//
// Publish hands the newest record over and returns at once. A worker walks
// the messenger windows (top-level ones in the order the walk yields them,
// then message-only ones the first walk did not reach), then serves them:
//
// - Every messenger window keeps the newest record published for it until
//   it has taken it, a newer one takes its place, or the window is gone. No
//   record ever follows a newer one to the same window; the same record may
//   reach a window twice (after a send that timed out although the window
//   went on to handle it), which is harmless.
// - Windows are served in lines, one line per receiving thread: the windows
//   of one thread answer one at a time anyway and share its fate (when it
//   hangs, they all do). A line's windows take their turns one send at a
//   time; lines are served side by side by up to kMostWorkers workers.
// - A send that timed out is tried again after a pause that grows (1 s, 2 s,
//   4 s, then every 5 s), with a longer bound each time (2 s, 4 s, then
//   8 s), so that a messenger slower than the first bound is still heard
//   answering; the longer bound stays until the line answers quickly again.
//   Meanwhile its line waits and holds no worker.
// - A send the system refuses (a messenger the system shields from Velkora)
//   is not tried again while that window lasts.
// - One worker serves lines that answer at once. Before a worker sends, an
//   idle worker, if there is one, is woken to go on with whatever else is
//   due; before it sends to a line that has not answered at once (new, slow
//   or hung) while another line has a record waiting, a worker is started
//   for the rest if none is idle. A worker ends after lingering with nothing
//   to do while another is idle, or when nothing is left at all.
// So the workers never outnumber kMostWorkers, whatever the number of
// messenger windows, and a slow or hung receiving thread holds up no other
// line unless kMostWorkers of them are being waited on at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/platform.h"

namespace velkora {

enum class WindowScope { TopLevel, MessageOnly };

class Courier {
public:
    enum class Sent { Delivered, TimedOut, Refused, Gone };
    using Clock = std::chrono::steady_clock;
    using Ms = std::chrono::milliseconds;

    static constexpr int kMostWorkers = 8;
    // A line whose last record was taken within this is not expected to hold
    // its worker up: no other worker is started to go on meanwhile.
    static constexpr Ms kQuickMs{100};
    static constexpr int kMostWindows = 4096;  // per scope: a walk that goes round in circles ends

    // One record, shared by every window it is posted to: the payload and the
    // WM_COPYDATA identifier it travels under.
    struct Parcel {
        std::uint32_t dwData;
        Text payload;
        StatusRecord Record() const {
            return StatusRecord{dwData, static_cast<std::uint32_t>(payload.size() * sizeof(char16_t)), payload.data()};
        }
    };

    Courier() = default;
    Courier(const Courier&) = delete;
    Courier& operator=(const Courier&) = delete;
    virtual ~Courier() = default;

    // Any thread: `parcel` is now the newest record for every messenger
    // window. Starts a worker only when none is free (one at most).
    void Publish(std::shared_ptr<const Parcel> parcel);
    // Waits until every record published has been taken by its window, or
    // the window has gone, refused or is being waited for after a timeout,
    // for at most `bound`; true when nothing is left under way.
    bool Finish(Ms bound);
    std::size_t Workers() const;

protected:
    // The system's side. Windows lists the messenger windows of a scope as
    // they are at one moment, in the order the system keeps them (at most
    // kMostWindows are served); ReceiverOf names the thread that handles a
    // window's messages (0 when it is gone).
    virtual std::vector<Handle> Windows(WindowScope scope) = 0;
    virtual std::uint64_t ReceiverOf(Handle window) = 0;
    virtual Sent Send(Handle window, const StatusRecord& record, Ms bound) = 0;
    // Starts a thread of its own that calls Work(); false when the system
    // gives none.
    virtual bool StartWorker() = 0;
    virtual Clock::time_point Now() const { return Clock::now(); }
    virtual Ms Linger() const { return std::chrono::seconds(5); }
    // How long a send may take at a line's level of slowness (0 to 2), and
    // the pause before the next try after `timeouts` timeouts in a row.
    virtual Ms SendBound(int slowness) const { return Ms(2000 << (slowness < 0 ? 0 : slowness > 2 ? 2 : slowness)); }
    virtual Ms Pause(int timeouts) const;

    // A worker's body: does what is due until it has lingered with nothing to do.
    void Work();
    // Does one job that is due now on the caller's thread; false when none
    // is (tests run delivery step by step with it).
    bool Step();

private:
    struct Job {
        enum Kind { None, Walk, Send } kind = None;
        Handle window = 0;
        std::shared_ptr<const Parcel> parcel;
        Ms bound{};
        bool quick = false;  // its line answered its last record at once
        Clock::time_point started{};
    };
    struct Box {  // one messenger window
        std::uint64_t receiver = 0;
        std::shared_ptr<const Parcel> waiting;  // the newest record it has not taken
        bool queued = false;                    // in its line's queue
        bool sending = false;
        bool refused = false;
        std::uint64_t walk = 0;  // the last walk that found it
    };
    struct Line {  // one receiving thread's windows
        std::vector<Handle> queue;  // windows with a record waiting, in turn
        std::size_t windows = 0;    // boxes on this line
        bool busy = false;          // a worker sends to one of them
        int timeouts = 0;           // in a row
        int slowness = 0;           // raised by a timeout, lowered by a quick answer
        Clock::time_point due{};    // the next try, not before
        std::uint64_t turn = 0;     // when it was last served (or found)
        bool quick = false;         // its last record was taken within kQuickMs
        Clock::time_point since{};  // when the send under way began
    };

    Job Next(Clock::time_point now);  // with the lock held
    void Walked(const std::shared_ptr<const Parcel>& parcel, const std::vector<std::pair<Handle, std::uint64_t>>& windows);
    void Done(const Job& job, Sent sent, Clock::time_point now);
    std::vector<std::pair<Handle, std::uint64_t>> Walk();  // without the lock
    void Queue(Handle window, Box& box);
    void Forget(std::map<Handle, Box>::iterator box);
    bool Pending() const;  // anything at all left to deliver
    bool Settled() const;  // nothing worth waiting for at the end
    Clock::time_point NextDue() const;
    bool OtherWorkDue(Clock::time_point now) const;
    bool OtherWorkWaiting() const;
    Clock::time_point QuickSendsEnd(Clock::time_point now) const;
    void CallHelp(std::unique_lock<std::mutex>& hold);
    void StartOrNote();
    void WakeOne();
    void Run(const Job& job, std::unique_lock<std::mutex>& hold);
    void Serve(std::unique_lock<std::mutex>& hold);

    // A worker waiting for something to do; the one that went idle last is
    // woken first, so that workers a burst made linger out and end.
    struct Idle {
        std::condition_variable wake;
        bool woken = false;
    };

    mutable std::mutex lock_;
    std::condition_variable settled_;  // for Finish
    std::shared_ptr<const Parcel> unwalked_;  // published, not yet walked
    bool walking_ = false;
    std::map<Handle, Box> boxes_;
    std::map<std::uint64_t, Line> lines_;
    std::uint64_t turns_ = 0, walks_ = 0;
    int workers_ = 0;
    bool startFailed_ = false;  // a record waits for a worker the system gave none
    std::vector<Idle*> idle_;  // the last one went idle last
    // The walker's own: each window's receiving thread, asked once.
    std::map<Handle, std::uint64_t> receivers_;
};

}  // namespace velkora
