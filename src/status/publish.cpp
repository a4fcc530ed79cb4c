#include "status/publish.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/courier.h"
#include "status/status_payload.h"

namespace velkora {

void PublishStatus(Platform& platform, const Text& Field0, const Text& Field2, const Text& Field1,
                   const Text& Category, const Text& Field3, const Text& Format, std::int16_t Show) {
    auto parcel = std::make_shared<const Courier::Parcel>(
        Courier::Parcel{kStatusCopyDataId, BuildStatusPayload(Field0, Field2, Field1, Category, Field3, Format, Show)});

    // Top-level windows first, then message-only ones; each window once. The
    // bound stops a walk that would go round in circles.
    constexpr int kMostSteps = 4096;
    std::vector<Handle> windows;
    for (WindowScope scope : {WindowScope::TopLevel, WindowScope::MessageOnly}) {
        Handle previous = 0;
        for (int step = 0; step < kMostSteps && (previous = platform.FindMessengerWindow(scope, previous)) != 0; ++step) {
            if (std::find(windows.begin(), windows.end(), previous) == windows.end())
                windows.push_back(previous);
        }
    }
    for (Handle window : windows) platform.Delivery().Post(window, parcel);
}

}  // namespace velkora
