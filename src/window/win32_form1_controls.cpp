#include "window/win32_form1_controls.h"

#include <commctrl.h>

namespace velkora {

Form1Controls::Form1Controls(HWND window, HINSTANCE instance, int dpi, HICON picture, std::function<void()> focusMoved)
    : window_(window), instance_(instance), paints_(dpi), picture_(picture), focusMoved_(std::move(focusMoved)) {}

void Form1Controls::Create() {
    Win32ControlHost& host = *this;
    for (const ControlSpec& s : Form1Layout()) {
        const RECT r = Place(s);
        std::unique_ptr<Control> control;
        switch (s.kind) {
            case Kind::Label: {
                auto label = std::make_unique<Win32Label>(window_, r, s.text ? Text(s.text) : Text());
                windowless_.push_back({&s, label.get(), r});
                control = std::move(label);
                break;
            }
            case Kind::Image: {
                auto image = std::make_unique<Win32Image>(window_, r);
                windowless_.push_back({&s, image.get(), r});
                control = std::move(image);
                break;
            }
            case Kind::Line: windowless_.push_back({&s, nullptr, r}); break;
            case Kind::PictureBox: control = std::make_unique<Win32PictureBox>(host, s, picture_); break;
            case Kind::CheckBox: control = std::make_unique<Win32CheckBox>(host, s); break;
            case Kind::OptionButton:  // the first of the group starts selected
                control = std::make_unique<Win32OptionButton>(host, s, StartsGroup(s));
                break;
            case Kind::TextBox: control = std::make_unique<Win32TextBox>(host, s); break;
            case Kind::CommandButton: {
                auto button = std::make_unique<Win32CommandButton>(host, s);
                buttons_.push_back(button.get());
                if (s.isDefault) activateButton_ = button.get();
                control = std::move(button);
                break;
            }
            case Kind::ListBox: {
                auto list = std::make_unique<Win32ListBox>(host, s);
                for (const char16_t* phrase : DefaultPhrases()) list->AddItem(phrase);
                control = std::move(list);
                break;
            }
        }
        if (s.tooltip) AddTooltip(s, r);
        if (control) controls_.emplace(s.name, std::move(control));
    }
    UINT_PTR timerId = 1;
    for (const TimerSpec& t : Form1Timers()) {
        auto timer = std::make_unique<Win32Timer>(window_, timerId++, t.interval);
        timer->SetEnabled(t.enabled);
        timers_.push_back(timer.get());
        controls_.emplace(t.name, std::move(timer));
    }
    controls_.emplace("Form1", std::make_unique<Win32Form>(window_));
}

void Form1Controls::AddTooltip(const ControlSpec& s, const RECT& rect) {
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
        if (!tooltip_) RaiseSystemError(u"İpucu penceresi oluşturulamadı");
    }
    std::wstring tip = Wide(s.tooltip);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = window_;
    info.uId = static_cast<UINT_PTR>(ControlId(s.name));
    info.rect = rect;
    info.lpszText = tip.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

Control* Form1Controls::Find(std::string_view name) {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second.get();
}

RECT Form1Controls::Place(const ControlSpec& s) const {
    auto px = [this](int twips) { return MulDiv(twips, paints_.Dpi(), 1440); };
    if (s.kind == Kind::Line) return RECT{px(s.left), px(s.top), px(s.width) + 1, px(s.height) + 1};
    return RECT{px(s.left), px(s.top), px(s.left + s.width), px(s.top + s.height)};
}

const Form1Controls::Windowless* Form1Controls::HitTest(int x, int y) const {
    // The last drawn lies on top: labels over the banner take the press.
    const POINT p{x, y};
    for (auto it = windowless_.rbegin(); it != windowless_.rend(); ++it)
        if (it->control && PtInRect(&it->rect, p)) return &*it;
    return nullptr;
}

const Form1Controls::Windowless* Form1Controls::WindowlessNamed(const char* name) const {
    for (const Windowless& w : windowless_)
        if (name && std::string_view(w.spec->name) == name) return &w;
    return nullptr;
}

}  // namespace velkora
