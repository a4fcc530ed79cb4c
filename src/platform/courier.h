// Delivery of status records off the window's thread.
//
// Every receiver window has a mailbox that holds at most one waiting record,
// and at most one worker that serves it. Posting leaves the record in the
// mailbox and returns at once; the worker sends what waits, then what waits
// next. A record posted while an older one still waits takes its place: the
// newest always wins, so no record reaches a window after a newer one, and the
// last record a window that answers gets is the last one posted to it. A slow
// or hung window holds up its own worker only.
//
// A record whose send timed out is not sent again (the window may still
// handle it once it answers); only a newer one follows. A worker ends when
// its window is gone, when its sends have timed out kMostTimeoutsInARow times
// in a row (the window hangs; the next post starts a fresh worker), or when
// nothing has come for its linger time. So the workers never outnumber the receiver windows, and
// nothing is kept for a window that has gone.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/platform.h"

namespace velkora {

class Courier {
public:
    enum class Sent { Delivered, TimedOut, Gone };
    static constexpr int kMostTimeoutsInARow = 3;

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

    void Post(Handle window, std::shared_ptr<const Parcel> parcel);
    // Waits until every record posted has been handed over, or its window
    // has timed out or gone, for at most `bound`; true when nothing is left
    // under way.
    bool Finish(std::chrono::milliseconds bound);
    std::size_t Workers() const;

protected:
    // The worker's body: serves `window` until one of the ends above.
    void Serve(Handle window);

    // Starts a thread of its own that calls Serve(window); false when the
    // system gives none (the record is then dropped, the next post tries again).
    virtual bool StartWorker(Handle window) = 0;
    // Sends one record and waits, within a bound, for the window to handle it.
    virtual Sent Send(Handle window, const StatusRecord& record) = 0;
    // How long an idle worker waits for the next record before it ends.
    virtual std::chrono::milliseconds Linger() const { return std::chrono::seconds(5); }

private:
    struct Mailbox {
        std::shared_ptr<const Parcel> waiting;
        bool sending = false;
        int timeouts = 0;  // in a row
    };
    bool Settled() const;  // with the lock held

    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::map<Handle, Mailbox> boxes_;  // a window is here while a worker serves it
};

}  // namespace velkora
