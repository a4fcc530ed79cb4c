#include "platform/courier.h"

#include <algorithm>

namespace velkora {

void Courier::Post(Handle window, std::shared_ptr<const Parcel> parcel) {
    bool start = false;
    {
        std::lock_guard<std::mutex> hold(lock_);
        auto [box, fresh] = boxes_.try_emplace(window);
        box->second.waiting = std::move(parcel);
        start = fresh;
    }
    changed_.notify_all();
    if (start && !StartWorker(window)) {
        std::lock_guard<std::mutex> hold(lock_);
        boxes_.erase(window);
    }
}

void Courier::Serve(Handle window) {
    std::unique_lock<std::mutex> hold(lock_);
    // Only this worker removes its window's mailbox, so the reference holds.
    Mailbox& box = boxes_.at(window);
    auto end = [&] {
        boxes_.erase(window);
        changed_.notify_all();
    };
    for (;;) {
        // A worker that may not linger ends at once: some libraries' timed
        // waits sleep a clock tick even for no time at all.
        const auto linger = Linger();
        if (!box.waiting && (linger.count() <= 0 || !changed_.wait_for(hold, linger, [&] { return box.waiting != nullptr; })))
            return end();
        std::shared_ptr<const Parcel> parcel = std::move(box.waiting);
        box.waiting = nullptr;
        box.sending = true;
        hold.unlock();
        const Sent sent = Send(window, parcel->Record());
        hold.lock();
        box.sending = false;
        if (sent == Sent::Gone) return end();
        // A record that timed out is not sent again: the window may still
        // handle it when it answers, and only a newer one should follow.
        if (sent == Sent::Delivered) box.timeouts = 0;
        else if (++box.timeouts == kMostTimeoutsInARow) return end();
        changed_.notify_all();
    }
}

bool Courier::Settled() const {
    return std::all_of(boxes_.begin(), boxes_.end(), [](const auto& entry) {
        const Mailbox& box = entry.second;
        return box.timeouts > 0 || (!box.waiting && !box.sending);
    });
}

bool Courier::Finish(std::chrono::milliseconds bound) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, bound, [this] { return Settled(); });
}

std::size_t Courier::Workers() const {
    std::lock_guard<std::mutex> hold(lock_);
    return boxes_.size();
}

}  // namespace velkora
