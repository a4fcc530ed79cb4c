#include "window/win32_controls.h"

#include <oleacc.h>

#include <cstddef>
#include <cstring>

#include "window/win32_accessible.h"

namespace velkora {

namespace {

Text NameText(const char* name) { return Text(name, name + std::strlen(name)); }

// Puts a child window at `r` (client pixels) when the window lays out again.
void MoveTo(HWND child, const RECT& r) {
    SetWindowPos(child, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}


}  // namespace

void Win32Child::Create(const wchar_t* className, DWORD style, DWORD exStyle) {
    const RECT r = host_.Place(spec_);
    style |= WS_CHILD | WS_CLIPSIBLINGS | (spec_.visible ? WS_VISIBLE : 0) | (spec_.enabled ? 0 : WS_DISABLED) |
             (StartsGroup(spec_) ? WS_GROUP : 0);
    const std::wstring text = spec_.text ? Wide(spec_.text) : std::wstring();
    HWND hwnd = CreateWindowExW(exStyle, className, text.c_str(), style, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, host_.Hwnd(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(spec_.name))), host_.Instance(),
                                nullptr);
    if (!hwnd) RaiseSystemError(u"Denetim oluşturulamadı: " + NameText(spec_.name));
    Subclass(hwnd);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(host_.Paints().Font(spec_.font)), FALSE);
}

void Win32Child::Replace() {
    MoveTo(hwnd_, host_.Place(spec_));
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(host_.Paints().Font(spec_.font)), TRUE);
}

LRESULT Win32Child::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETFOCUS: return OnFocusChange(message, wParam, lParam);
        case WM_KILLFOCUS: return OnFocusChange(message, wParam, lParam);
        case WM_GETOBJECT: return OnGetObject(wParam, lParam);
        case WM_SHOWWINDOW: return OnShownOrEnabled(message, wParam, lParam);
        case WM_ENABLE: return OnShownOrEnabled(message, wParam, lParam);
        default: return OnMessage(message, wParam, lParam);
    }
}

// A reader holding the control's object (its client object, the one the
// window's walk hands out) hears it shown, hidden, enabled or disabled.
LRESULT Win32Child::OnShownOrEnabled(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = OnMessage(message, wParam, lParam);
    if (message == WM_ENABLE) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
    else if (lParam == 0) NotifyWinEvent(wParam ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, hwnd_, OBJID_CLIENT, CHILDID_SELF);
    return result;
}

LRESULT Win32Child::OnFocusChange(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = OnMessage(message, wParam, lParam);
    host_.FocusMoved();
    return result;
}

LRESULT Win32Child::OnGetObject(WPARAM flags, LPARAM objectId) {
    // A screen reader hears the control's role and the name the description gives it.
    if (static_cast<DWORD>(objectId) == static_cast<DWORD>(OBJID_CLIENT)) {
        long role = ROLE_SYSTEM_CLIENT;
        switch (spec_.kind) {
            case Kind::CheckBox: role = ROLE_SYSTEM_CHECKBUTTON; break;
            case Kind::OptionButton: role = ROLE_SYSTEM_RADIOBUTTON; break;
            case Kind::TextBox: role = ROLE_SYSTEM_TEXT; break;
            case Kind::CommandButton: role = ROLE_SYSTEM_PUSHBUTTON; break;
            case Kind::ListBox: role = ROLE_SYSTEM_LIST; break;
            default: break;
        }
        reader_.Get([&] { return NewControlAccessible(hwnd_, role, AccessibleName(spec_), host_.ReaderTree()); });
        if (const LRESULT object = reader_.Answer(flags)) return object;
    }
    return OnMessage(WM_GETOBJECT, flags, objectId);
}

HBRUSH Win32Child::OnControlColor(HDC dc) {
    const Look look = host_.Paints().LookOf(&spec_, IsWindowEnabled(hwnd_) != FALSE);
    if (look.ownColors) return nullptr;
    SetTextColor(dc, Ref(look.text));
    SetBkColor(dc, Ref(look.back));
    return host_.Paints().Brush(Ref(look.back));
}

Win32CheckBox::Win32CheckBox(Win32ControlHost& host, const ControlSpec& spec) : Win32Control(host, spec) {
    Create(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP);
}

void Win32CheckBox::OnCommand(int code) {
    if (code == BN_CLICKED && Click) Click();
}

Win32OptionButton::Win32OptionButton(Win32ControlHost& host, const ControlSpec& spec, bool selected)
    : Win32Control(host, spec, spec.index) {
    Create(L"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP);
    SendMessageW(hwnd_, BM_SETCHECK, selected ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32OptionButton::OnCommand(int code) {
    if (code == BN_CLICKED && Click) Click(Index);
}

Win32CommandButton::Win32CommandButton(Win32ControlHost& host, const ControlSpec& spec) : Win32Control(host, spec) {
    Create(L"BUTTON", WS_TABSTOP | (spec.graphical ? BS_OWNERDRAW : BS_PUSHBUTTON));
}

void Win32CommandButton::SetDefault(bool isDefault) {
    if (isDefault == isDefault_) return;
    isDefault_ = isDefault;
    if (spec_.graphical) InvalidateRect(hwnd_, nullptr, FALSE);
    else SendMessageW(hwnd_, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Win32CommandButton::OnCommand(int code) {
    if (code == BN_CLICKED && Click) Click();
}

LRESULT Win32CommandButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // An owner-drawn button reports the second press of a quick double-click
    // as a double-click of its own, not as a press: here each press is a press.
    if (message == WM_LBUTTONDBLCLK && spec_.graphical) return Default(WM_LBUTTONDOWN, wParam, lParam);
    return Default(message, wParam, lParam);
}

void Win32CommandButton::OnDrawItem(const DRAWITEMSTRUCT& item) {
    RECT r = item.rcItem;
    HDC dc = item.hDC;
    const Look look = host_.Paints().LookOf(&spec_, !(item.itemState & ODS_DISABLED));
    FillRect(dc, &r, host_.Paints().Brush(Ref(look.back)));
    if (isDefault_) {
        FrameRect(dc, &r, host_.Paints().Brush(Ref(look.edge)));
        InflateRect(&r, -1, -1);
    }
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const std::wstring caption = Wide(WindowText(hwnd_));
    HGDIOBJ oldFont = SelectObject(dc, host_.Paints().Font(spec_.font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Ref(look.text));
    RECT text = r;
    if (pressed) OffsetRect(&text, 1, 1);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    // As a standard button: the focus mark inside the edge, only while keyboard cues are on.
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        InflateRect(&r, -3, -3);
        DrawFocusRect(dc, &r);
    }
}

Win32ListBox::Win32ListBox(Win32ControlHost& host, const ControlSpec& spec) : Win32Control(host, spec) {
    Create(L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
}

Text Win32ListBox::List(int position) const {
    const LRESULT length = SendMessageW(hwnd_, LB_GETTEXTLEN, static_cast<WPARAM>(position), 0);
    if (position < 0 || length == LB_ERR) return {};
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(hwnd_, LB_GETTEXT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(buffer.data()));
    return copied == LB_ERR ? Text() : FromWide(buffer.data(), static_cast<std::size_t>(copied));
}

void Win32ListBox::AddItem(const Text& entry) {
    if (ListCount() >= kMaxEntries) errors::Raise(errors::kOutOfMemory);
    const LRESULT r = SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    if (r == LB_ERR || r == LB_ERRSPACE) errors::Raise(errors::kOutOfMemory);
}

void Win32ListBox::RemoveItem(int position) {
    if (position < 0 || position >= ListCount()) errors::Raise(errors::kInvalidCall);
    SendMessageW(hwnd_, LB_DELETESTRING, static_cast<WPARAM>(position), 0);
}

void Win32ListBox::OnCommand(int code) {
    if (code == LBN_SELCHANGE && Click) Click();
}

void Win32Timer::SetEnabled(bool enabled) {
    // Enabling a running timer leaves it alone: its next tick is not moved.
    if (enabled == enabled_) return;
    if (!enabled) KillTimer(owner_, id_);
    else if (!SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr)) RaiseSystemError(u"Zamanlayıcı başlatılamadı");
    enabled_ = enabled;
}

Win32PictureBox::Win32PictureBox(Win32ControlHost& host, const ControlSpec& spec, HICON picture)
    : host_(host), spec_(spec), picture_(picture) {
    RegisterClassOnce(host.Instance(), L"VelkoraPicture", LoadCursorW(nullptr, IDC_ARROW));
    if (!CreateWindowFor(0, L"VelkoraPicture", WS_CHILD | WS_CLIPSIBLINGS | (spec.visible ? WS_VISIBLE : 0),
                         host.Place(spec), host.Hwnd(), ControlId(spec.name), host.Instance()))
        RaiseSystemError(u"Denetim oluşturulamadı: " + NameText(spec.name));
}

void Win32PictureBox::Replace(HICON picture) {
    picture_ = picture;
    MoveTo(hwnd_, host_.Place(spec_));
}

// The shell reports each event on the icon with the callback message,
// WM_MOUSEMOVE, the event's own message number in the low word of lParam.
LRESULT Win32PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != NotificationIcon::kCallbackMessage) return Default(message, wParam, lParam);
    const NotificationIcon::Event event = NotificationIcon::Decode(wParam, lParam);
    if (MouseMove) MouseMove(event.message, event.at);
    return 0;
}

}  // namespace velkora
