// The uptime source: Timer2 keeps the sentence in Text10, Timer3 publishes it.
#include "sources/uptime.h"

#include "status/publish.h"
#include "window/form1.h"

namespace velkora {

Text UptimeSentence(std::uint64_t milliseconds, const Text& suffix) {
    // Hours are not carried into days: one day and one hour reads 25 hours.
    // The count is 64 bits wide, so the sentence does not fall back to zero
    // after 49.7 days.
    const std::uint64_t seconds = milliseconds / 1000;
    const std::uint64_t totalHours = seconds / 3600;
    const std::uint64_t minutes = seconds % 3600 / 60;
    return WholeNumberText(static_cast<std::int64_t>(totalHours)) + u" saat ve " +
           WholeNumberText(static_cast<std::int64_t>(minutes)) + u" dakikadır sistemim açık" + suffix;
}

Text UptimeText(Platform& platform, const TextBox& Text1) {
    return UptimeSentence(platform.TickCount(), Text1.GetText());
}

void Form1::Timer2_Timer() { Text10.SetText(UptimeText(platform_, Text1)); }

void Form1::Timer3_Timer() {
    // Publishes what Text10 holds now: the sentence of the last Timer2 tick.
    Skip([this] { PublishText(Text10.GetText()); });
}

}  // namespace velkora
