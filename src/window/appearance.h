// The colours the window is drawn in, decided in one place from its
// description and the system's colours: as the description gives them, or,
// while the user has high contrast on, every one from the system's pairs
// (Microsoft's guidance for high contrast: the window's text on the window's
// background, a button's text on a button's face, the link in the link
// colour, what is unavailable in grey text), the banner picture left as it
// is and a background put behind the labels that lie on it.
#pragma once

#include <array>
#include <cstdint>

#include "window/form1_layout.h"

namespace velkora {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// The system's colours by their numbers (GetSysColor's COLOR_*), and
// whether high contrast is on.
struct Scheme {
    bool highContrast = false;
    std::array<Rgb, 31> system{};
};

// The system colour numbers the window uses.
enum : int {
    kColorWindow = 5,
    kColorWindowText = 8,
    kColorHighlight = 13,
    kColorHighlightText = 14,
    kColorButtonFace = 15,
    kColorGrayText = 17,
    kColorButtonText = 18,
    kColorHotLight = 26,
};

// How one thing is drawn: its text (or a line's colour) and background, and
// the edge a graphical button that Enter presses wears. `ownColors`: the
// control is left to draw itself in the system's colours; `fillsBack`: the
// background is painted behind the text (else what lies under shows through).
struct Look {
    Rgb text, back, edge;
    bool ownColors = false;
    bool fillsBack = false;
};

// The look of a control of the description, enabled or not, under `scheme`;
// `spec` null: the window itself (its background).
Look LookOf(const ControlSpec* spec, bool enabled, const Scheme& scheme);

}  // namespace velkora
