#include <gtest/gtest.h>

#include "window/appearance.h"

namespace velkora {
namespace {

// The system's colours with the window's, text and grey pairs set; the rest
// left a colour of their own, so a look that takes one of them shows.
Scheme Of(bool on, Rgb back, Rgb text, Rgb face, Rgb buttonText, Rgb link, Rgb grey) {
    Scheme s;
    s.highContrast = on;
    s.system.fill(Rgb{1, 2, 3});
    s.system[kColorWindow] = back;
    s.system[kColorWindowText] = text;
    s.system[kColorButtonFace] = face;
    s.system[kColorButtonText] = buttonText;
    s.system[kColorHotLight] = link;
    s.system[kColorGrayText] = grey;
    return s;
}
const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kYellow{255, 255, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0}, kGrey{96, 96, 96};
const Scheme kOff = Of(false, kWhite, kBlack, Rgb{240, 240, 240}, kBlack, kBlue, Rgb{109, 109, 109});
const Scheme kBlackWhiteYellow = Of(true, kBlack, kWhite, kBlack, kYellow, kYellow, kGreen);
const Scheme kWhiteBlackBlue = Of(true, kWhite, kBlack, kWhite, kBlack, kBlue, kGrey);

struct LookCase {
    const char* what;
    const char* control;  // null: the window
    bool enabled;
    Rgb off[2], blackWhiteYellow[2], whiteBlackBlue[2];  // text, background
};

// One row per kind of thing the window paints: its text (or a line's
// colour) and background with high contrast off (the description's), and
// under two schemes (the system's pair for its kind).
const LookCase kLooks[] = {
    {"the window", nullptr, true, {{0, 0, 0}, {224, 224, 224}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"a dark red label", "Label3", true, {{128, 0, 0}, {}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"the red warning", "Label18", true, {{255, 0, 0}, {}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"the grey countdown", "Label12", true, {{64, 64, 64}, {}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"a label of the window's text colour", "Label1", true, {kBlack, {}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"a white label on the banner", "Label14", true, {kWhite, {}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"a label unavailable", "Label3", false, {{128, 0, 0}, {}}, {kGreen, kBlack}, {kGrey, kWhite}},
    {"the link", "Label13", true, {{64, 64, 64}, {}}, {kYellow, kBlack}, {kBlue, kWhite}},
    {"a line", "Line1", true, {{128, 128, 128}, {}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"a check box", "Check3", true, {kBlack, {224, 224, 224}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"an option button", "Option1", true, {kBlack, {224, 224, 224}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"a graphical button", "Command1", true, {kBlack, {224, 224, 224}}, {kYellow, kBlack}, {kBlack, kWhite}},
    {"a white graphical button unavailable", "Command3", false, {{109, 109, 109}, kWhite}, {kGreen, kBlack}, {kGrey, kWhite}},
    {"a text box", "Text2", true, {kBlack, {255, 224, 192}}, {kWhite, kBlack}, {kBlack, kWhite}},
    {"a text box unavailable", "Text9", false, {{109, 109, 109}, {224, 224, 224}}, {kGreen, kBlack}, {kGrey, kWhite}},
    {"the list", "List1", true, {{64, 64, 64}, {255, 224, 192}}, {kWhite, kBlack}, {kBlack, kWhite}},
};

TEST(Appearance, EachKindTakesItsPairOfTheScheme) {
    for (const LookCase& c : kLooks) {
        SCOPED_TRACE(c.what);
        const ControlSpec* spec = c.control ? FindSpec(c.control) : nullptr;
        ASSERT_TRUE(!c.control || spec);
        const std::pair<const Scheme*, const Rgb*> schemes[] = {
            {&kOff, c.off}, {&kBlackWhiteYellow, c.blackWhiteYellow}, {&kWhiteBlackBlue, c.whiteBlackBlue}};
        for (const auto& [scheme, expected] : schemes) {
            const Look look = LookOf(spec, c.enabled, *scheme);
            EXPECT_FALSE(look.ownColors);
            EXPECT_EQ(look.text, expected[0]) << (scheme->highContrast ? "on" : "off");
            // A label shows what lies under it, but on the banner under high contrast.
            const bool label = spec && spec->kind == Kind::Label, line = spec && spec->kind == Kind::Line;
            if (!label && !line) {
                EXPECT_EQ(look.back, expected[1]) << (scheme->highContrast ? "on" : "off");
            }
            EXPECT_EQ(look.fillsBack, label && scheme->highContrast && spec->top < 495);
        }
    }
    // The system draws its own standard buttons and the boxes without colours of the description.
    for (const char* own : {"Command4", "Text10"}) EXPECT_TRUE(LookOf(FindSpec(own), true, kBlackWhiteYellow).ownColors) << own;
}

}  // namespace
}  // namespace velkora
