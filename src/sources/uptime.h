#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "window/controls.h"

namespace velkora {

// "<total hours> saat ve <minutes> dakikadır sistemim açık" followed by the
// text of Text1, for a count of milliseconds since the system started.
Text UptimeSentence(std::uint64_t milliseconds, const Text& suffix);

// The sentence for now: reads the tick count and the text of Text1.
Text UptimeText(Platform& platform, const TextBox& Text1);

}  // namespace velkora
