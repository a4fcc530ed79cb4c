#include "platform/courier.h"

#include <algorithm>

namespace velkora {

Courier::Ms Courier::Pause(int timeouts) const {
    return timeouts <= 0 ? Ms(0) : Ms(std::min(1000 << std::min(timeouts - 1, 3), 5000));
}

void Courier::Publish(std::shared_ptr<const Parcel> parcel) {
    bool start = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        unwalked_ = std::move(parcel);
        // Only when no worker is free does the publisher start one: one
        // thread at most, whatever the number of windows.
        start = idle_.empty() && workers_ < kMostWorkers;
        if (start) ++workers_;
        else WakeOne();
    }
    if (start) StartOrNote();
}

// A worker for what is due; when the system gives none, the record waits
// and the next publish or the end tries again.
void Courier::StartOrNote() {
    const bool started = StartWorker();
    std::lock_guard<std::mutex> hold(lock_);
    startFailed_ = !started;
    if (!started) --workers_;
}

void Courier::WakeOne() {
    for (auto it = idle_.rbegin(); it != idle_.rend(); ++it) {
        if ((*it)->woken) continue;
        (*it)->woken = true;
        (*it)->wake.notify_one();
        return;
    }
}

// Top-level windows first, then message-only ones; each window once, with
// the thread that handles its messages, asked once while it lasts.
std::vector<std::pair<Handle, std::uint64_t>> Courier::Walk() {
    std::vector<std::pair<Handle, std::uint64_t>> found;
    std::map<Handle, std::uint64_t> known;
    for (WindowScope scope : {WindowScope::TopLevel, WindowScope::MessageOnly}) {
        std::vector<Handle> windows = Windows(scope);
        if (windows.size() > static_cast<std::size_t>(kMostWindows)) windows.resize(kMostWindows);
        for (Handle window : windows) {
            if (known.count(window)) continue;
            auto cached = receivers_.find(window);
            const std::uint64_t receiver = cached != receivers_.end() ? cached->second : ReceiverOf(window);
            known.emplace(window, receiver);
            if (receiver) found.emplace_back(window, receiver);
        }
    }
    receivers_ = std::move(known);
    return found;
}

void Courier::Queue(Handle window, Box& box) {
    if (box.queued || box.sending) return;
    box.queued = true;
    lines_[box.receiver].queue.push_back(window);
}

void Courier::Forget(std::map<Handle, Box>::iterator box) {
    auto line = lines_.find(box->second.receiver);
    if (line != lines_.end()) {
        auto& q = line->second.queue;
        q.erase(std::remove(q.begin(), q.end(), box->first), q.end());
        if (--line->second.windows == 0 && !line->second.busy) lines_.erase(line);
    }
    boxes_.erase(box);
}

void Courier::Walked(const std::shared_ptr<const Parcel>& parcel,
                     const std::vector<std::pair<Handle, std::uint64_t>>& windows) {
    walking_ = false;
    const std::uint64_t walk = ++walks_;
    for (const auto& [window, receiver] : windows) {
        auto [it, fresh] = boxes_.try_emplace(window);
        Box& box = it->second;
        if (fresh) {
            box.receiver = receiver;
            Line& line = lines_[receiver];
            if (line.windows++ == 0) line.turn = ++turns_;
        }
        box.walk = walk;
        if (box.refused) continue;
        box.waiting = parcel;
        Queue(window, box);
    }
    // A window the walk no longer finds, with nothing under way, is forgotten.
    for (auto it = boxes_.begin(); it != boxes_.end();) {
        auto here = it++;
        if (here->second.walk != walk && !here->second.sending && (!here->second.waiting || here->second.refused)) Forget(here);
    }
}

void Courier::Done(const Job& job, Sent sent, Clock::time_point now) {
    auto it = boxes_.find(job.window);
    Box& box = it->second;
    Line& line = lines_[box.receiver];
    box.sending = false;
    line.busy = false;
    line.quick = sent == Sent::Delivered && now - job.started <= kQuickMs;
    switch (sent) {
        case Sent::Delivered:
            line.timeouts = 0;
            if (line.quick) line.slowness = 0;  // a slow one keeps the bound it was heard within
            if (box.waiting == job.parcel) box.waiting = nullptr;
            else Queue(job.window, box);
            break;
        case Sent::TimedOut:
            // The window keeps its place at the head of its line; the line
            // waits before its next try.
            ++line.timeouts;
            line.slowness = std::min(line.slowness + 1, 2);
            line.due = now + Pause(line.timeouts);
            line.queue.insert(line.queue.begin(), job.window);
            box.queued = true;
            break;
        case Sent::Refused:
            box.refused = true;
            box.waiting = nullptr;
            break;
        case Sent::Gone:
            Forget(it);
            return;
    }
}

Courier::Job Courier::Next(Clock::time_point now) {
    Job job;
    if (unwalked_ && !walking_) {
        walking_ = true;
        job.kind = Job::Walk;
        job.parcel = std::move(unwalked_);
        unwalked_ = nullptr;
        return job;
    }
    // Lines take turns: of those ready, the one whose turn came longest ago
    // (new lines in the order the walk found them).
    auto pick = lines_.end();
    for (auto it = lines_.begin(); it != lines_.end(); ++it) {
        const Line& l = it->second;
        if (!l.busy && !l.queue.empty() && l.due <= now && (pick == lines_.end() || l.turn < pick->second.turn)) pick = it;
    }
    if (pick == lines_.end()) return job;
    Line& line = pick->second;
    line.turn = ++turns_;
    job.kind = Job::Send;
    job.window = line.queue.front();
    line.queue.erase(line.queue.begin());
    Box& box = boxes_.at(job.window);
    box.queued = false;
    box.sending = true;
    line.busy = true;
    line.since = now;
    job.parcel = box.waiting;
    job.bound = SendBound(line.slowness);
    job.quick = line.quick;
    job.started = now;
    return job;
}

// Does `job` without the lock, then takes its outcome in with it.
void Courier::Run(const Job& job, std::unique_lock<std::mutex>& hold) {
    hold.unlock();
    if (job.kind == Job::Walk) {
        std::vector<std::pair<Handle, std::uint64_t>> walked;
        try {
            walked = Walk();
        } catch (...) {  // out of memory: this record is lost, the next walks again
            hold.lock();
            walking_ = false;
            return;
        }
        hold.lock();
        Walked(job.parcel, walked);
    } else {
        const Sent sent = Send(job.window, job.parcel->Record(), job.bound);
        hold.lock();
        Done(job, sent, Now());
    }
    settled_.notify_all();
}

bool Courier::Step() {
    std::unique_lock<std::mutex> hold(lock_);
    const Job job = Next(Now());
    if (job.kind == Job::None) return false;
    Run(job, hold);
    return true;
}

bool Courier::Pending() const {
    if (unwalked_ || walking_) return true;
    return std::any_of(lines_.begin(), lines_.end(), [](const auto& e) { return e.second.busy || !e.second.queue.empty(); });
}

bool Courier::Settled() const {
    if (unwalked_ || walking_) return false;
    return std::all_of(lines_.begin(), lines_.end(), [](const auto& e) {
        const Line& l = e.second;
        return l.timeouts > 0 || (!l.busy && l.queue.empty());
    });
}

Courier::Clock::time_point Courier::NextDue() const {
    auto due = Clock::time_point::max();
    for (const auto& [key, l] : lines_)
        if (!l.busy && !l.queue.empty()) due = std::min(due, l.due);
    return due;
}

// Whether anything besides the job just taken is due now.
bool Courier::OtherWorkDue(Clock::time_point now) const {
    if (unwalked_ && !walking_) return true;
    return std::any_of(lines_.begin(), lines_.end(), [&](const auto& e) {
        const Line& l = e.second;
        return !l.busy && !l.queue.empty() && l.due <= now;
    });
}

// Whether a line other than those being served has a record waiting, due now or later.
bool Courier::OtherWorkWaiting() const {
    if (unwalked_ && !walking_) return true;
    return std::any_of(lines_.begin(), lines_.end(), [](const auto& e) { return !e.second.busy && !e.second.queue.empty(); });
}

// Another worker goes on with the rest: a new one, started here, off the
// window's thread.
void Courier::CallHelp(std::unique_lock<std::mutex>& hold) {
    if (workers_ >= kMostWorkers) return;
    ++workers_;
    hold.unlock();
    StartOrNote();
    hold.lock();
}

void Courier::Work() {
    std::unique_lock<std::mutex> hold(lock_);
    try {
        Serve(hold);
    } catch (...) {  // out of memory: this worker ends, and is counted out
        if (!hold.owns_lock()) hold.lock();
    }
    --workers_;
    settled_.notify_all();
}

// Until when a worker that comes from waiting leaves what is due to the
// workers sending to lines that answer at once: while such a send is
// younger than kQuickMs, its worker is about to go on with the rest itself.
Courier::Clock::time_point Courier::QuickSendsEnd(Clock::time_point now) const {
    auto end = Clock::time_point::min();
    for (const auto& [key, l] : lines_)
        if (l.busy && l.quick && l.since + kQuickMs > now) end = std::max(end, l.since + kQuickMs);
    return end;
}

void Courier::Serve(std::unique_lock<std::mutex>& hold) {
    auto idleSince = Now();
    bool fromWaiting = false;
    for (;;) {
        const auto now = Now();
        const auto deferred = fromWaiting && !(unwalked_ && !walking_) ? QuickSendsEnd(now) : Clock::time_point::min();
        const Job job = deferred > now ? Job{} : Next(now);
        if (job.kind != Job::None) {
            // The rest does not wait for this send. What is due goes to an
            // idle worker (which leaves it to this one while the send is
            // quick); a send that may take a while gets a new worker for what
            // waits, due now or later, when none is idle.
            if (job.kind == Job::Send && !idle_.empty() && OtherWorkDue(now)) WakeOne();
            else if (job.kind == Job::Send && !job.quick && idle_.empty() && OtherWorkWaiting()) CallHelp(hold);
            Run(job, hold);
            idleSince = Now();
            fromWaiting = false;
            continue;
        }
        // Nothing due: wait for a record or a line's next try. Once it has
        // lingered a worker ends, unless something waits and no other worker
        // is free to take it when it comes due.
        const bool lingered = now >= idleSince + Linger();
        if (lingered && (!Pending() || !idle_.empty())) return;
        // A worker that stays looks again a linger later: what kept it may be done.
        auto wake = std::min(NextDue(), lingered ? now + Linger() : idleSince + Linger());
        if (deferred > now) wake = std::min(wake, deferred);
        Idle me;
        idle_.push_back(&me);
        struct Listed {  // off the list however the wait ends
            std::vector<Idle*>& idle;
            Idle* me;
            ~Listed() { idle.erase(std::find(idle.begin(), idle.end(), me)); }
        } listed{idle_, &me};
        me.wake.wait_until(hold, wake, [&] { return me.woken; });
        fromWaiting = true;
    }
}

bool Courier::Finish(Ms bound) {
    std::unique_lock<std::mutex> hold(lock_);
    if (startFailed_ && workers_ == 0 && Pending()) {
        ++workers_;
        hold.unlock();
        StartOrNote();
        hold.lock();
    }
    return settled_.wait_for(hold, bound, [this] { return Settled(); });
}

std::size_t Courier::Workers() const {
    std::lock_guard<std::mutex> hold(lock_);
    return static_cast<std::size_t>(workers_);
}

}  // namespace velkora
