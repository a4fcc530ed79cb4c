// PublishStatus: the one road by which anything reaches the messenger.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/text.h"
#include "status/status_payload.h"  // kShowTrue, kShowFalse

namespace velkora {

// Builds the payload once and hands it to delivery, which gives the same
// record to every window of class "MsnMsgrUIManager": first the top-level
// windows, listed at one moment in the system's order, then message-only
// windows of the class that the top-level list did not hold; every handle
// listed, those with the top bit set too (a handle is no signed number). Returns at
// once: the walk and the sends run off the caller's thread, so no messenger,
// however many, slow or hung, holds up the window (courier.h). Keeps no
// state, reports nothing.
// Parameter order is the routine's own: Field0, Field2, Field1.
void PublishStatus(Platform& platform, const Text& Field0, const Text& Field2, const Text& Field1,
                   const Text& Category, const Text& Field3, const Text& Format, std::int16_t Show);

}  // namespace velkora
