#include "platform/delivery_schedule.h"

#include <algorithm>

namespace velkora {

void DeliverySchedule::Publish(std::shared_ptr<const Parcel> parcel) { unwalked_ = std::move(parcel); }

// A line may be sent to now: not busy, a window waiting, its pause over, and
// a worker left for it (one is kept for lines that answer).
bool DeliverySchedule::Ready(const Line& line, Clock::time_point now) const {
    return !line.busy && !line.queue.empty() && line.due <= now && (line.trusted || untrustedSends_ < kMostWorkers - 1);
}

DeliverySchedule::Job DeliverySchedule::Take(Clock::time_point now) {
    Job job;
    if (unwalked_ && !walking_) {
        walking_ = true;
        job.kind = Job::Walk;
        job.parcel = std::move(unwalked_);
        unwalked_ = nullptr;
        return job;
    }
    auto pick = lines_.end();
    for (auto it = lines_.begin(); it != lines_.end(); ++it)
        if (Ready(it->second, now) && (pick == lines_.end() || it->second.turn < pick->second.turn)) pick = it;
    if (pick == lines_.end()) return job;
    Line& line = pick->second;
    const Key key = line.queue.front();
    line.queue.erase(line.queue.begin());
    line.busy = true;
    line.turn = ++turns_;
    Box& box = boxes_.at(key);
    box.queued = false;
    box.sending = true;
    ++sends_;
    if (!line.trusted) ++untrustedSends_;
    job.kind = Job::Send;
    job.window = key.first;
    job.receiver = key.second;
    job.parcel = box.waiting;
    job.bound = Bound(line.doublings);
    job.started = now;
    job.trusted = line.trusted;
    return job;
}

void DeliverySchedule::Queue(const Key& key, Box& box) {
    if (box.queued || box.sending) return;
    box.queued = true;
    lines_[key.second].queue.push_back(key);
}

void DeliverySchedule::Forget(std::map<Key, Box>::iterator box) {
    auto line = lines_.find(box->first.second);
    if (line != lines_.end()) {
        auto& q = line->second.queue;
        q.erase(std::remove(q.begin(), q.end(), box->first), q.end());
        if (--line->second.windows == 0 && !line->second.busy) lines_.erase(line);
    }
    boxes_.erase(box);
}

void DeliverySchedule::WalkEnded(const Job& walk, const Walked& windows) {
    walking_ = false;
    const std::uint64_t mark = ++walks_;
    for (const auto& found : windows) {
        auto [it, fresh] = boxes_.try_emplace(found);
        Box& box = it->second;
        if (fresh) {
            Line& line = lines_[found.second];
            if (line.windows++ == 0) line.turn = ++turns_;  // new lines in the order the walk found them
        }
        box.walk = mark;
        if (box.refused) continue;
        box.waiting = walk.parcel;
        Queue(found, box);
    }
    // A window the walk no longer finds is gone; one being sent to goes when its send ends.
    for (auto it = boxes_.begin(); it != boxes_.end();) {
        auto here = it++;
        if (here->second.walk != mark && !here->second.sending) Forget(here);
    }
}

void DeliverySchedule::SendEnded(const Job& send, Sent sent, Clock::time_point now) {
    --sends_;
    if (!send.trusted) --untrustedSends_;
    Line& line = lines_[send.receiver];
    line.busy = false;
    const auto it = boxes_.find({send.window, send.receiver});
    if (it == boxes_.end()) return;  // cannot be: a box being sent to stays
    Box& box = it->second;
    box.sending = false;
    switch (sent) {
        case Sent::Delivered:
            line.timeouts = 0;
            line.trusted = now - send.started <= kFirstBound;
            if (line.trusted) line.doublings = 0;  // a slow one keeps the wait it was heard within
            if (box.waiting == send.parcel) box.waiting = nullptr;
            break;
        case Sent::TimedOut:
            // The window keeps its place at the head of its line.
            ++line.timeouts;
            line.trusted = false;
            line.doublings = std::min(line.doublings + 1, kMostDoublings);
            line.due = now + Pause(line.timeouts);
            line.queue.insert(line.queue.begin(), it->first);
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
    if (box.walk != walks_) Forget(it);  // the last walk did not find it
    else if (box.waiting) Queue(it->first, box);
}

bool DeliverySchedule::Due(Clock::time_point now) const {
    if (unwalked_ && !walking_) return true;
    return std::any_of(lines_.begin(), lines_.end(), [&](const auto& e) { return Ready(e.second, now); });
}

DeliverySchedule::Clock::time_point DeliverySchedule::NextDue(Clock::time_point now) const {
    auto next = Clock::time_point::max();
    for (const auto& [receiver, line] : lines_)
        if (!line.busy && !line.queue.empty() && line.due > now) next = std::min(next, line.due);
    return next;
}

bool DeliverySchedule::Quiet(Clock::time_point now) const {
    return !unwalked_ && !walking_ && sends_ == 0 && !Due(now);
}

}  // namespace velkora
