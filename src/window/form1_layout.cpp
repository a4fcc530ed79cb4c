#include "window/form1_layout.h"

#include <array>
#include <string_view>

namespace velkora {

namespace {

constexpr Color kDarkRed = Color::Of(128, 0, 0);
constexpr Color kRed = Color::Of(255, 0, 0);
constexpr Color kGrey64 = Color::Of(64, 64, 64);
constexpr Color kWhite = Color::Of(255, 255, 255);
constexpr Color kBlack = Color::Of(0, 0, 0);
constexpr Color kPanel = Color::Of(224, 224, 224);
constexpr Color kPeach = Color::Of(255, 224, 192);
constexpr Color kWindowText = Color::SystemColor(8);

#define WEB u"" VELKORA_WEB_HOST

ControlSpec LabelSpec(const char* name, const char16_t* text, int l, int t, int w, int h, Color fore,
                      FontId font = FontId::Default) {
    ControlSpec s{name, Kind::Label, text, l, t, w, h};
    s.fore = fore;
    s.font = font;
    return s;
}

// A check box or option button: no caption of its own, the label beside it names it.
ControlSpec BoxSpec(const char* name, Kind kind, int l, int t, int w, int h, const char* namedBy, int index = -1) {
    ControlSpec s{name, kind, nullptr, l, t, w, h};
    s.back = kPanel;
    s.fore = kWindowText;
    s.index = index;
    s.namedBy = namedBy;
    return s;
}

ControlSpec TextSpec(const char* name, const char16_t* text, int l, int t, int w, int h,
                     bool enabled = true, int maxLength = 0, Color back = {}) {
    ControlSpec s{name, Kind::TextBox, text, l, t, w, h};
    s.enabled = enabled;
    s.maxLength = maxLength;
    s.back = back;
    return s;
}

ControlSpec ButtonSpec(const char* name, const char16_t* text, int l, int t, int w, int h,
                       bool enabled, Color back) {
    ControlSpec s{name, Kind::CommandButton, text, l, t, w, h};
    s.enabled = enabled;
    s.back = back;
    s.graphical = back.type != Color::Type::Default;
    s.font = s.graphical ? FontId::Arial825 : FontId::Default;
    return s;
}

template <class F>
ControlSpec With(ControlSpec s, F f) {
    f(s);
    return s;
}

const std::array<ControlSpec, 64> kLayout = [] {
    std::array<ControlSpec, 64> a{};
    int n = 0;
    auto add = [&](ControlSpec s) { a[n++] = s; };
    // Windowless controls outside the tab order, lowest first.
    add({"Image2", Kind::Image, nullptr, -1680, 0, 8910, 495});
    add({"Line2", Kind::Line, nullptr, 120, 1250, 5880, 1250});
    add({"Line1", Kind::Line, nullptr, 120, 8160, 5880, 8160});
    // The tab order.
    add(With(LabelSpec("Label14", u"Beni Gizle |", 4680, 0, 975, 255, kWhite, FontId::Tahoma975),
             [](ControlSpec& s) { s.handCursor = true; }));
    add(With(LabelSpec("Label71", u"X", 5760, 0, 135, 255, kWhite, FontId::Tahoma975), [](ControlSpec& s) {
        s.handCursor = true;
        s.tooltip = u"Programı Kapatır";
    }));
    add(With(ControlSpec{"picSystemTray", Kind::PictureBox, nullptr, 8040, 840, 375, 375},
             [](ControlSpec& s) { s.visible = false; }));
    add(With(ControlSpec{"picSystemTrayIcon1", Kind::PictureBox, nullptr, 7920, 840, 540, 540},
             [](ControlSpec& s) { s.visible = false; }));
    add(LabelSpec("Label1", u"Kişisel ileti ikonunuzu seçin:", 120, 600, 2775, 255, {}, FontId::SansSerifBold825));
    add(LabelSpec("Label2", u"İleti Seçenekleri:", 120, 1560, 2055, 255, {}, FontId::SansSerifBold825));
    add(LabelSpec("Label3", u"Tarih ve Saat Göster", 600, 1950, 1575, 255, kDarkRed));
    add(LabelSpec("Label4", u"Sistem açık kalma süresini Göster ", 3360, 1950, 2415, 375, kDarkRed));
    add(LabelSpec("Label5", u"Cpu Hızımı Göster", 600, 2300, 1575, 255, kDarkRed));
    add(LabelSpec("Label6", u"Bellek Kullanımını Göster", 3360, 2300, 1935, 255, kDarkRed));
    add(With(TextSpec("Text9", u"", 240, 3000, 5175, 285, false, 100, kPanel),
             [](ControlSpec& s) { s.accessibleName = u"Şu anki kelime"; }));
    add(LabelSpec("Label7", u"Kişisel Msj listesi --", 600, 2640, 1935, 255, kDarkRed));
    add(BoxSpec("Check3", Kind::CheckBox, 240, 1920, 255, 255, "Label3"));
    add(LabelSpec("Label8", u"Müzik Simgesi", 600, 910, 1335, 255, kDarkRed));
    add(LabelSpec("Label9", u"Office Simgesi", 2760, 910, 1335, 255, kDarkRed));
    add(LabelSpec("Label10", u"Oyun Simgesi", 4800, 910, 1095, 255, kDarkRed));
    add(With(ButtonSpec("Command1", u"Kişşisel İletileri Aktif Et (Güncelle)", 240, 7440, 5655, 615, true, kPanel),
             [](ControlSpec& s) { s.isDefault = true; }));
    add(ButtonSpec("Command2", u"Aman Baydı Buda :)", 240, 6840, 2535, 495, true, kPanel));
    add(BoxSpec("Option1", Kind::OptionButton, 240, 840, 255, 375, "Label8", 0));
    add(BoxSpec("Option3", Kind::OptionButton, 4560, 840, 255, 375, "Label10", 1));
    add(BoxSpec("Option2", Kind::OptionButton, 2520, 840, 255, 375, "Label9", 2));
    add(TextSpec("Text10", u"0 saat ve 0 dakikadır sistemim açık", 7680, 1920, 1935, 375));
    add(TextSpec("Text1", u" [" WEB u"]", 8040, 360, 1815, 285));
    add(BoxSpec("Check1", Kind::CheckBox, 3000, 1920, 255, 255, "Label4"));
    add(BoxSpec("Check2", Kind::CheckBox, 3000, 2280, 255, 255, "Label6"));
    add(BoxSpec("Check4", Kind::CheckBox, 240, 2280, 255, 255, "Label5"));
    add(BoxSpec("Check5", Kind::CheckBox, 240, 2640, 255, 255, "Label7"));
    add(With(ControlSpec{"List1", Kind::ListBox, nullptr, 240, 3360, 5655, 2985}, [](ControlSpec& s) {
        s.enabled = false;
        s.back = kPeach;
        s.fore = kGrey64;
        s.accessibleName = u"Kelime listesi";
    }));
    add(ButtonSpec("Command3", u"Kelimeyi Ekle", 4560, 6480, 1335, 375, false, kWhite));
    add(With(TextSpec("Text2", u"", 240, 6480, 4095, 285, false, 60, kPeach),
             [](ControlSpec& s) { s.accessibleName = u"Yeni kelime"; }));
    add(LabelSpec("Label11", u"Msj Değişim Süresi:", 1920, 2640, 1935, 255, kDarkRed));
    add(With(TextSpec("Text3", u"10", 3360, 2600, 375, 285, false, 60, kPanel),
             [](ControlSpec& s) { s.namedBy = "Label11"; }));
    add(ButtonSpec("Command4", u"+", 3840, 2640, 255, 195, true, {}));
    add(ButtonSpec("Command5", u"-", 4200, 2640, 255, 195, true, {}));
    add(With(LabelSpec("Label12", u"10", 5520, 3030, 375, 255, kGrey64),
             [](ControlSpec& s) { s.align = Align::Center; }));
    add(ButtonSpec("Command6", u"Listeyi Sil", 4560, 6960, 1335, 375, false, kWhite));
    add(ButtonSpec("Command7", u"Seçili Kelimeyi Sil", 3000, 6960, 1455, 375, false, kWhite));
    add(With(LabelSpec("Label13", u"Diğer Programlarım için " WEB, 840, 8280, 4455, 255, kGrey64,
                       FontId::VerdanaUnderline825),
             [](ControlSpec& s) {
                 s.align = Align::Center;
                 s.handCursor = true;
                 s.link = true;
             }));
    add(TextSpec("Text4", u"", 7440, 3960, 1455, 495));
    add(LabelSpec("Label15", u"", 7440, 6360, 900, 255, kBlack, FontId::Georgia825));
    add(LabelSpec("Label16", u"", 7440, 6600, 975, 255, kBlack, FontId::Georgia825));
    add(LabelSpec("Label17", u"", 7440, 6840, 885, 255, kBlack, FontId::Georgia825));
    add(TextSpec("Text5", u"", 7440, 4920, 1095, 405));
    add(TextSpec("Text11", u"", 7560, 7680, 1695, 495));
    add(LabelSpec("Label18", u"Uyarı: programın aktif olması için ne dinliyorumu gösterin aktif olması gereklidir!!",
                  240, 1320, 5655, 255, kRed));
    return a;
}();

constexpr std::array<TimerSpec, 5> kTimers{{
    {"Timer1", 1000, false},
    {"Timer2", 1000, true},
    {"Timer3", 30000, false},
    {"Timer4", 1000, false},
    {"Timer5", 1000, false},
}};

constexpr std::array<const char16_t*, 5> kPhrases{
    u"Terazinin iki tarafında kimin durduğunun önemi yok. Önemli olan kefeyi tutan demir.",
    u"SENI SEVDIGIM KADAR YASASAYDIM OLUMSUZLUGUN ADINI ASK KOYARDIM...",
    u"Who Wants To Live Forever?",
    WEB,
    u"Velkora V 1.0",
};

std::size_t LayoutSize() {
    std::size_t n = 0;
    while (n < kLayout.size() && kLayout[n].name != nullptr) ++n;
    return n;
}

}  // namespace

std::span<const ControlSpec> Form1Layout() {
    static const std::size_t n = LayoutSize();
    return {kLayout.data(), n};
}

std::span<const TimerSpec> Form1Timers() { return kTimers; }

std::span<const char16_t* const> DefaultPhrases() { return kPhrases; }

const ControlSpec* FindSpec(std::string_view name) {
    for (const ControlSpec& s : Form1Layout())
        if (name == s.name) return &s;
    return nullptr;
}

bool StartsGroup(const ControlSpec& s) {
    auto isOption = [](const ControlSpec* c) { return c && c->kind == Kind::OptionButton; };
    const ControlSpec* previous = nullptr;  // the window made just before, in the description's order
    for (const ControlSpec& c : Form1Layout()) {
        if (&c == &s) return isOption(&s) != isOption(previous);
        if (c.kind != Kind::Label && c.kind != Kind::Image && c.kind != Kind::Line) previous = &c;
    }
    return false;
}

Text AccessibleName(const ControlSpec& s) {
    if (s.accessibleName) return s.accessibleName;
    if (const ControlSpec* label = s.namedBy ? FindSpec(s.namedBy) : nullptr) {
        Text name = label->text;
        while (!name.empty() && (name.back() == u' ' || name.back() == u'-')) name.pop_back();
        return name;
    }
    if (s.tooltip) return s.tooltip;
    return s.text && s.kind != Kind::TextBox ? Text(s.text) : Text();
}

int ControlId(std::string_view name) {
    const auto layout = Form1Layout();
    for (std::size_t i = 0; i < layout.size(); ++i)
        if (name == layout[i].name) return kFirstControlId + static_cast<int>(i);
    return 0;
}

}  // namespace velkora
