#include "window/win32_controls.h"

#include <oleacc.h>

#include <climits>
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

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

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
        if (const LRESULT object = ControlAccessibleObject(hwnd_, flags, role, AccessibleName(spec_), host_.ReaderTree()))
            return object;
    }
    return OnMessage(WM_GETOBJECT, flags, objectId);
}

HBRUSH Win32Child::OnControlColor(HDC dc) {
    if (spec_.back.type == Color::Type::Default) return nullptr;
    SetTextColor(dc, IsWindowEnabled(hwnd_) ? ColorOf(spec_.fore, GetSysColor(COLOR_WINDOWTEXT)) : GetSysColor(COLOR_GRAYTEXT));
    const COLORREF back = ColorOf(spec_.back, GetSysColor(COLOR_WINDOW));
    SetBkColor(dc, back);
    return host_.Paints().Brush(back);
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

Win32TextBox::Win32TextBox(Win32ControlHost& host, const ControlSpec& spec) : Win32Control(host, spec) {
    // A holder beyond the window's edge can take the focus but never input:
    // only the program writes it.
    const bool holder = BeyondTheEdge(spec);
    Create(L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | (holder ? ES_READONLY : 0), holder ? 0 : WS_EX_CLIENTEDGE);
    if (spec.maxLength > 0) SendMessageW(hwnd_, EM_LIMITTEXT, static_cast<WPARAM>(spec.maxLength), 0);
}

void Win32TextBox::SetText(const Text& text) {
    // The uptime refresh writes the same sentence for a minute: an unchanged
    // text costs no WM_SETTEXT.
    if (text != WindowText(hwnd_)) SetWindowTextW(hwnd_, Wide(text).c_str());
}

LRESULT Win32TextBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Any other editing step ends the wait for the second half of a typed pair.
    if ((message == WM_KEYDOWN && wParam != VK_PACKET) || message == WM_PASTE || message == WM_CUT ||
        message == WM_CLEAR || message == WM_UNDO)
        highTyped_ = false;
    switch (message) {
        case WM_CHAR: return OnChar(wParam, lParam);
        case WM_PASTE: return OnPaste();
        case kMendCharacters: return OnMendCharacters();
        default: return Default(message, wParam, lParam);
    }
}

// Every editing road ends in a change, the ones that pass no WM_CHAR or
// WM_PASTE too (Shift+Insert, Backspace and Delete take one unit of a pair in
// some edit controls): half a character left standing alone is taken out,
// the caret kept where it was. Mended once the edit control has finished its
// own step, not inside it.
void Win32TextBox::OnCommand(int code) {
    // A character typed as two WM_CHARs is half there between them: not mended.
    if (code != EN_CHANGE || highTyped_ || mendPosted_) return;
    const Text text = GetText();
    if (WholeCharacters(text) != text) mendPosted_ = PostMessageW(hwnd_, kMendCharacters, 0, 0) != FALSE;
}

LRESULT Win32TextBox::OnMendCharacters() {
    mendPosted_ = false;
    const Text text = GetText();
    const Text whole = WholeCharacters(text);
    if (whole == text) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto caret = static_cast<DWORD>(WholeCharacters(TextView(text).substr(0, std::min<std::size_t>(end, text.size()))).size());
    SetWindowTextW(hwnd_, Wide(whole).c_str());
    SendMessageW(hwnd_, EM_SETSEL, caret, caret);
    return 0;
}

int Win32TextBox::Room() const {
    if (spec_.maxLength <= 0) return INT_MAX;
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return spec_.maxLength - (GetWindowTextLengthW(hwnd_) - static_cast<int>(end - start));
}

// The limit counts UTF-16 units: a character of two units that would cross
// it is refused whole, never cut in half.
LRESULT Win32TextBox::OnChar(WPARAM character, LPARAM lParam) {
    const auto c = static_cast<wchar_t>(character);
    highTyped_ = IsHighSurrogate(c);
    if (IsHighSurrogate(c)) {
        droppingPair_ = Room() < 2;
        if (droppingPair_) return 0;
    } else if (IsLowSurrogate(c) && droppingPair_) {
        droppingPair_ = false;
        return 0;
    } else {
        droppingPair_ = false;
    }
    return Default(WM_CHAR, character, lParam);
}

LRESULT Win32TextBox::OnPaste() {
    if (spec_.maxLength <= 0 || (GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY)) return Default(WM_PASTE, 0, 0);
    // As any edit box: with no text on the clipboard (empty, or only a
    // picture), a paste changes nothing.
    if (!OpenClipboard(hwnd_)) return 0;
    std::wstring text;
    bool hasText = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            hasText = true;
            GlobalUnlock(data);
        }
    CloseClipboard();
    if (!hasText) return 0;
    text.resize(std::min(text.find_first_of(L"\r\n"), text.size()));  // a one-line box takes the first line
    const auto room = static_cast<std::size_t>(std::max(Room(), 0));
    if (text.size() > room) {
        text.resize(room);
        if (!text.empty() && IsHighSurrogate(text.back())) text.pop_back();
    }
    SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
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
    FillRect(dc, &r, host_.Paints().Brush(ColorOf(spec_.back, GetSysColor(COLOR_BTNFACE))));
    if (isDefault_) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const std::wstring caption = Wide(WindowText(hwnd_));
    HGDIOBJ oldFont = SelectObject(dc, host_.Paints().Font(spec_.font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
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
