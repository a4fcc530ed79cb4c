// Delivery of status records off the window's thread: a pool of at most
// kMostWorkers workers that ask the schedule (delivery_schedule.h) what is
// due, do it without the lock, and tell it how it ended.
//
// Publish hands the newest record over and returns at once. A worker that
// takes a job while more is due wakes an idle worker, or starts one while
// fewer than kMostWorkers run, so that lines are served side by side and a
// slow or hung one holds up no other while a worker is free. With nothing
// due a worker sleeps until the next try comes due, or until it is woken by
// a publish or a job for it; never until a time already past. After 5 s
// with nothing to do it ends, but one idle worker stays while a try waits
// for its time. So the workers never outnumber kMostWorkers, whatever the
// number of messenger windows, and cost nothing while nothing is due.
//
// At the end, Finish waits for the sends under way, for a bound; Stop then
// tells every worker to end: a worker still inside a send ends when the
// send returns, touching nothing but the courier it holds (no static object
// of the program), so the runtime's exit may run beside it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/delivery_schedule.h"

namespace velkora {

class Courier {
public:
    using Clock = DeliverySchedule::Clock;
    using Ms = DeliverySchedule::Ms;
    using Sent = DeliverySchedule::Sent;
    using Parcel = velkora::Parcel;
    static constexpr int kMostWorkers = DeliverySchedule::kMostWorkers;
    static constexpr int kMostWindows = 4096;  // per scope: a walk that goes round in circles ends

    Courier() = default;
    Courier(const Courier&) = delete;
    Courier& operator=(const Courier&) = delete;
    virtual ~Courier() = default;

    // Any thread: `parcel` is now the newest record for every messenger window.
    void Publish(std::shared_ptr<const Parcel> parcel);
    // Waits, for at most `bound`, until nothing is under way and nothing is
    // due (what waits for a try after a timeout is not waited for); true
    // when so.
    bool Finish(Ms bound);
    // Every worker ends: idle ones now, one inside a send when it returns;
    // nothing more is sent.
    void Stop();
    std::size_t Workers() const;
    // How often a worker came back from waiting, since the start.
    std::uint64_t Wakeups() const;

protected:
    // The system's side. Windows lists the messenger windows of a scope as
    // they are at one moment, in the order the system keeps them (at most
    // kMostWindows are served); ReceiverOf names the thread that handles a
    // window's messages (0 when it is gone).
    virtual std::vector<Handle> Windows(WindowScope scope) = 0;
    virtual std::uint64_t ReceiverOf(Handle window) = 0;
    virtual Sent Send(Handle window, const StatusRecord& record, Ms bound) = 0;
    // Starts a thread of its own that calls Work(); false when the system gives none.
    virtual bool StartWorker() = 0;
    virtual Clock::time_point Now() const { return Clock::now(); }
    virtual Ms Linger() const { return std::chrono::seconds(5); }

    // A worker's body: does what is due until it has lingered with nothing to do.
    void Work();
    // Does one job that is due now on the caller's thread; false when none
    // is (tests run delivery step by step with it).
    bool Step();

private:
    using Job = DeliverySchedule::Job;
    DeliverySchedule::Walked Walk();  // without the lock
    void Run(const Job& job, std::unique_lock<std::mutex>& hold);
    void Dispatch(std::unique_lock<std::mutex>& hold);

    mutable std::mutex lock_;
    std::condition_variable wake_;   // idle workers
    std::condition_variable ended_;  // for Finish
    DeliverySchedule schedule_;
    int workers_ = 0, idle_ = 0, wakes_ = 0;  // wakes_: idle workers asked to come, not yet come
    bool stopping_ = false;
    std::uint64_t wakeups_ = 0;
};

}  // namespace velkora
