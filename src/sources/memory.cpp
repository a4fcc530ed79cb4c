// The memory source: total, load and available memory, once a second.
#include "sources/number_text.h"
#include "window/form1.h"

namespace velkora {

namespace {
Text Megabytes(std::uint64_t bytes, const Text& separator) {
    return DoubleText(static_cast<double>(bytes) / 1024 / 1024, separator) + u" mb";
}
}  // namespace

void Form1::Timer5_Timer() {
    // Skip-on-failure, step by step: a later step uses whatever the controls
    // hold at that moment, so the sentence always matches the captions.
    MemoryFigures m{};
    Text separator = u".";
    Skip([&] { m = platform_.MemoryStatus(); });
    Skip([&] { separator = platform_.DecimalSeparator(); });
    Skip([&] { Label15.SetCaption(Megabytes(m.totalPhys, separator)); });
    Skip([&] { Label16.SetCaption(WholeNumberText(m.load)); });
    Skip([&] { Label17.SetCaption(Megabytes(m.availPhys, separator)); });
    Skip([&] {
        Text5.SetText(u"Toplam Bellek: " + Label15.Caption() + u" - Kullanılan: " + Label16.Caption() +
                      u" - Boşta: " + Label17.Caption());
    });
    Skip([&] { PublishText(Text5.GetText()); });
}

}  // namespace velkora
