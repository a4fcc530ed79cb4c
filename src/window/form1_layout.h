// The description of the main window: every control with its kind, start
// text and state, place (in twips) and look. Both backings build the window
// from this one table. Its order is the tab order; windowless controls stand
// where they stand in that order too.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/text.h"

namespace velkora {

// The maker's web address, a bare host name; set it when building.
#ifndef VELKORA_WEB_HOST
#define VELKORA_WEB_HOST "velkora.example"
#endif
inline constexpr char16_t kWebHost[] = u"" VELKORA_WEB_HOST;

enum class Kind { Label, CheckBox, OptionButton, TextBox, CommandButton, ListBox, PictureBox, Image, Line };
enum class FontId { Default, Tahoma975, SansSerifBold825, Georgia825, VerdanaUnderline825, Arial825 };
enum class Align { Left, Center };

struct Color {
    enum class Type : std::uint8_t { Default, Rgb, System } type = Type::Default;
    std::uint8_t r = 0, g = 0, b = 0;
    int systemIndex = 0;
    static constexpr Color Of(std::uint8_t r, std::uint8_t g, std::uint8_t b) { return {Type::Rgb, r, g, b, 0}; }
    static constexpr Color SystemColor(int index) { return {Type::System, 0, 0, 0, index}; }
};

struct ControlSpec {
    const char* name;
    Kind kind;
    const char16_t* text;            // caption or start text; nullptr for none
    int left, top, width, height;    // twips; a line stores x1, y1, x2, y2
    bool enabled = true;
    bool visible = true;
    int maxLength = 0;               // typing limit of a text box, 0 for none
    int index = -1;                  // an option button's index in its array
    FontId font = FontId::Default;
    Color fore{};
    Color back{};
    Align align = Align::Left;
    bool handCursor = false;         // a label that acts when clicked
    bool link = false;               // ... by opening a web page
    bool graphical = false;          // a button whose background colour shows
    bool isDefault = false;          // the button Enter presses
    const char16_t* tooltip = nullptr;
    // What a screen reader calls the control: the label that names a control
    // without a caption of its own, or a name of its own where no label does.
    const char* namedBy = nullptr;
    const char16_t* accessibleName = nullptr;
};

struct TimerSpec {
    const char* name;
    int interval;  // ms
    bool enabled;
};

inline constexpr int kFormWidthTwips = 6060;
inline constexpr int kFormHeightTwips = 8565;
inline constexpr Color kFormBack = Color::Of(224, 224, 224);

std::span<const ControlSpec> Form1Layout();
std::span<const TimerSpec> Form1Timers();
std::span<const char16_t* const> DefaultPhrases();
const ControlSpec* FindSpec(std::string_view name);

// A control beyond the window's right edge: never seen, a holder of text
// that only the program writes.
inline bool BeyondTheEdge(const ControlSpec& s) { return s.left >= kFormWidthTwips; }

// Whether a control starts a group of the keyboard's arrow keys: the option
// buttons form one group, and the control after them starts the next.
bool StartsGroup(const ControlSpec& s);

// The control's spoken name: its own, or the text of the label that names it
// (without trailing blanks and dashes), or its tooltip, or its caption.
// Empty for a text box that nothing names.
Text AccessibleName(const ControlSpec& s);

// The child-window id of a control: its place in the description, from 100.
inline constexpr int kFirstControlId = 100;
int ControlId(std::string_view name);
inline constexpr char16_t kMainWindowClass[] = u"VelkoraMain";

}  // namespace velkora
