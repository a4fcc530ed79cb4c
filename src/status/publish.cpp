#include "status/publish.h"

#include <algorithm>
#include <vector>

#include "status/status_payload.h"

namespace velkora {

namespace {
bool Addressable(Handle h) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(h)) > 0; }
}  // namespace

void PublishStatus(Platform& platform, const Text& Field0, const Text& Field2, const Text& Field1,
                   const Text& Category, const Text& Field3, const Text& Format, std::int16_t Show) {
    const Text payload = BuildStatusPayload(Field0, Field2, Field1, Category, Field3, Format, Show);
    const StatusRecord record = MakeStatusRecord(payload);

    std::vector<Handle> served;
    Handle previous = 0;
    while ((previous = platform.FindMessengerWindow(WindowScope::TopLevel, previous)) != 0) {
        if (!Addressable(previous)) continue;
        platform.SendStatusRecord(previous, record);
        served.push_back(previous);
    }
    // Some receivers listen on message-only windows, which the top-level walk
    // does not reach; each window still gets the record once.
    previous = 0;
    while ((previous = platform.FindMessengerWindow(WindowScope::MessageOnly, previous)) != 0) {
        if (!Addressable(previous)) continue;
        if (std::find(served.begin(), served.end(), previous) != served.end()) continue;
        platform.SendStatusRecord(previous, record);
        served.push_back(previous);
    }
}

}  // namespace velkora
