#include "platform/courier.h"

#include <algorithm>

namespace velkora {

void Courier::Publish(std::shared_ptr<const Parcel> parcel) {
    std::unique_lock<std::mutex> hold(lock_);
    if (stopping_) return;
    schedule_.Publish(std::move(parcel));
    Dispatch(hold);
}

// What is due now goes to a worker: an idle one is woken, else one is
// started while fewer than kMostWorkers run (off the window's thread, but
// for the first). When the system gives none, the next publish or the end
// tries again.
void Courier::Dispatch(std::unique_lock<std::mutex>& hold) {
    if (stopping_ || !schedule_.Due(Now())) return;
    if (idle_ > wakes_) {
        ++wakes_;
        wake_.notify_one();
        return;
    }
    if (workers_ >= kMostWorkers) return;
    ++workers_;
    hold.unlock();
    const bool started = StartWorker();
    hold.lock();
    if (!started) --workers_;
}

// Top-level windows first, then message-only ones; each window once, with
// the thread that handles its messages, asked at every walk.
DeliverySchedule::Walked Courier::Walk() {
    DeliverySchedule::Walked found;
    std::vector<Handle> seen;
    for (WindowScope scope : {WindowScope::TopLevel, WindowScope::MessageOnly}) {
        std::vector<Handle> windows = Windows(scope);
        if (windows.size() > static_cast<std::size_t>(kMostWindows)) windows.resize(kMostWindows);
        for (Handle window : windows) {
            if (std::find(seen.begin(), seen.end(), window) != seen.end()) continue;
            seen.push_back(window);
            if (const std::uint64_t receiver = ReceiverOf(window)) found.emplace_back(window, receiver);
        }
    }
    return found;
}

// Does `job` without the lock, then tells the schedule how it ended, unless
// the courier was stopped meanwhile.
void Courier::Run(const Job& job, std::unique_lock<std::mutex>& hold) {
    hold.unlock();
    if (job.kind == Job::Walk) {
        DeliverySchedule::Walked walked;
        try {
            walked = Walk();
        } catch (...) {  // out of memory: this record finds no window; the next walks again
            walked.clear();
        }
        hold.lock();
        if (!stopping_) schedule_.WalkEnded(job, walked);
    } else {
        const Sent sent = Send(job.window, job.parcel->Record(), job.bound);
        hold.lock();
        if (!stopping_) schedule_.SendEnded(job, sent, Now());
    }
    ended_.notify_all();
}

bool Courier::Step() {
    std::unique_lock<std::mutex> hold(lock_);
    const Job job = schedule_.Take(Now());
    if (job.kind == Job::None) return false;
    Run(job, hold);
    return true;
}

void Courier::Work() {
    std::unique_lock<std::mutex> hold(lock_);
    auto idleSince = Now();
    try {
        while (!stopping_) {
            const auto now = Now();
            const Job job = schedule_.Take(now);
            if (job.kind != Job::None) {
                Dispatch(hold);  // the rest does not wait for this job
                Run(job, hold);
                idleSince = Now();
                continue;
            }
            // Nothing due now. After lingering a worker ends, unless it is
            // the only one idle and a try waits for its time.
            const auto due = schedule_.NextDue(now);
            const bool lingered = now - idleSince >= Linger();
            if (lingered && (idle_ > 0 || due == Clock::time_point::max())) break;
            const auto until = lingered ? due : std::min(due, idleSince + Linger());
            ++idle_;
            const auto woken = [this] { return wakes_ > 0 || stopping_; };
            const bool asked = until == Clock::time_point::max() ? (wake_.wait(hold, woken), true)
                                                                  : wake_.wait_until(hold, until, woken);
            --idle_;
            if (asked && wakes_ > 0) --wakes_;
            ++wakeups_;
        }
    } catch (...) {  // out of memory: this worker ends, and is counted out
        if (!hold.owns_lock()) hold.lock();
    }
    --workers_;
    ended_.notify_all();
}

bool Courier::Finish(Ms bound) {
    std::unique_lock<std::mutex> hold(lock_);
    if (workers_ == 0) Dispatch(hold);  // a worker the system refused at a publish
    return ended_.wait_for(hold, bound, [this] { return schedule_.Quiet(Now()); });
}

void Courier::Stop() {
    std::lock_guard<std::mutex> hold(lock_);
    stopping_ = true;
    wake_.notify_all();
}

std::size_t Courier::Workers() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<std::size_t>(workers_);
}

std::uint64_t Courier::Wakeups() const {
    std::lock_guard<std::mutex> hold(lock_);
    return wakeups_;
}

}  // namespace velkora
