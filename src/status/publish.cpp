#include "status/publish.h"

#include <algorithm>
#include <vector>

#include "status/status_payload.h"

namespace velkora {

void PublishStatus(Platform& platform, const Text& Field0, const Text& Field2, const Text& Field1,
                   const Text& Category, const Text& Field3, const Text& Format, std::int16_t Show) {
    const Text payload = BuildStatusPayload(Field0, Field2, Field1, Category, Field3, Format, Show);
    const StatusRecord record = MakeStatusRecord(payload);

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

    std::vector<std::uint64_t> hungThreads;
    for (Handle window : windows) {
        const std::uint64_t thread = platform.WindowThread(window);
        if (std::find(hungThreads.begin(), hungThreads.end(), thread) != hungThreads.end()) continue;
        if (!platform.SendStatusRecord(window, record)) hungThreads.push_back(thread);
    }
}

}  // namespace velkora
