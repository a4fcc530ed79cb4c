#include "window/win32_form1_controls.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>

#include "resource_ids.h"
#include "window/win32_startup.h"

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
                auto label = std::make_unique<Win32Label>(host, s);
                painted_.push_back(label.get());
                control = std::move(label);
                break;
            }
            case Kind::Image: {
                auto image = std::make_unique<Win32Image>(host, s, IDR_BANNER);
                StartupPhase("banner loaded");
                painted_.push_back(image.get());
                control = std::move(image);
                break;
            }
            case Kind::Line:
                lines_.push_back(std::make_unique<Win32Line>(host, s));
                painted_.push_back(lines_.back().get());
                break;
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
    OrderForReader();
    StartupPhase("controls made");
}

void Form1Controls::OrderForReader() {
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const auto* made = dynamic_cast<const Win32Child*>(velkora::Window::From(child));
        if (made && !BeyondTheEdge(made->Spec()) && made->Spec().visible) readerOrder_.push_back({child, nullptr});
    }
    for (const Win32Windowless* painted : painted_)
        if (const AccessibleElement* element = painted->Reader()) readerOrder_.push_back({nullptr, element});
}

IAccessible* Form1Controls::ClientObject() const {
    return client_.Get([this] { return NewClientAccessible(weak_from_this()); });
}

IAccessible* Form1Controls::ElementObject(const AccessibleElement& element) const {
    return elements_[&element].Get([&] { return NewElementAccessible(weak_from_this(), element); });
}

void Form1Controls::Relayout(int dpi, HICON picture) {
    const auto shownFonts = paints_.Rescale(dpi);  // released once every control has its new font
    picture_ = picture;
    for (auto& [name, control] : controls_) {
        if (auto* child = dynamic_cast<Win32Child*>(control.get())) child->Replace();
        else if (auto* box = dynamic_cast<Win32PictureBox*>(control.get())) box->Replace(picture);
    }
    for (Win32Windowless* painted : painted_) painted->Replace();
    for (const ControlSpec& s : Form1Layout()) {
        if (!s.tooltip || !tooltip_) continue;
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = window_;
        info.uId = static_cast<UINT_PTR>(ControlId(s.name));
        info.rect = Place(s);
        SendMessageW(tooltip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
    InvalidateRect(window_, nullptr, TRUE);
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

// A child window's rectangle in the window's client pixels.
RECT Form1Controls::InClient(HWND child) const {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

Form1Controls::Reached Form1Controls::At(POINT p) const {
    // Child windows lie over the painted controls, the first made on top (as
    // the system keeps them); a disabled one covers what lies under it too.
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const RECT r = InClient(child);
        if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) && PtInRect(&r, p)) return {child, nullptr};
    }
    // Of the painted controls, the last drawn lies on top: labels over the banner.
    for (auto it = painted_.rbegin(); it != painted_.rend(); ++it)
        if ((*it)->Hit(p)) return {nullptr, *it};
    return {};
}

Win32Label* Form1Controls::LabelNamed(const char* name) {
    return name ? dynamic_cast<Win32Label*>(Find(name)) : nullptr;
}

AccessibleTree::Child Form1Controls::ChildAt(POINT p) const {
    const Reached top = At(p);
    const Child child{top.window, top.painted ? top.painted->Reader() : nullptr};
    return std::find(readerOrder_.begin(), readerOrder_.end(), child) != readerOrder_.end() ? child : Child{};
}

bool Form1Controls::Act(const AccessibleElement& element) const {
    // Posted: the reader's call returns before the click runs (which may end the program).
    const auto it = std::find_if(painted_.begin(), painted_.end(), [&](const Win32Windowless* p) { return p->Reader() == &element; });
    return it != painted_.end() && PostMessageW(window_, kActMessage, static_cast<WPARAM>(it - painted_.begin()), 0);
}

void Form1Controls::Announce(const AccessibleElement& element, DWORD event) {
    const auto it = std::find(readerOrder_.begin(), readerOrder_.end(), Child{nullptr, &element});
    if (it != readerOrder_.end()) NotifyWinEvent(event, window_, OBJID_CLIENT, static_cast<LONG>(it - readerOrder_.begin() + 1));
}

}  // namespace velkora
