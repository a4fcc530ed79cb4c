#include "window/win32_windowless.h"

#include <oleacc.h>

#include <string>

#include "platform/win32_text.h"

namespace velkora {

void Win32Label::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    host_.Announce(*this, EVENT_OBJECT_STATECHANGE);
}

void Win32Label::SetCaption(const Text& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    Invalidate();
    host_.Announce(*this, EVENT_OBJECT_NAMECHANGE);  // a reader holding the label hears the new text
}

void Win32Label::SetFocusMark(bool shown) {
    if (shown == focusMark_) return;
    focusMark_ = shown;
    InvalidateMarkArea();
}

void Win32Label::InvalidateFocusMark() const {
    if (focusMark_) InvalidateMarkArea();
}

void Win32Label::InvalidateMarkArea() const {
    // The mark lies just outside the text, which may run past the label's right edge.
    RECT client{};
    GetClientRect(host_.Hwnd(), &client);
    RECT area = rect_;
    InflateRect(&area, 2, 2);
    area.right = client.right;
    InvalidateRect(host_.Hwnd(), &area, FALSE);
}

void Win32Label::Paint(HDC dc, bool focusCues) const {
    const std::wstring caption = Wide(caption_);
    const Look look = host_.Paints().LookOf(&spec_, enabled_);
    HGDIOBJ oldFont = SelectObject(dc, host_.Paints().Font(spec_.font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, Ref(look.text));
    // A label with room for two lines wraps its words; a one-line label keeps
    // its text on one line, even past its right edge.
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const bool wraps = rect_.bottom - rect_.top >= 2 * metrics.tmHeight;
    const UINT format = DT_NOPREFIX | (spec_.align == Align::Center ? DT_CENTER : DT_LEFT) |
                        (wraps ? DT_WORDBREAK : DT_SINGLELINE | DT_NOCLIP);
    RECT r = rect_;
    if (look.fillsBack) {  // on the banner: the scheme's background behind the text
        RECT behind = rect_;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &behind, format | DT_CALCRECT);
        InflateRect(&behind, 1, 0);
        FillRect(dc, &behind, host_.Paints().Brush(Ref(look.back)));
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, format);
    if (focusMark_ && focusCues) {
        RECT text = rect_;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format | DT_CALCRECT);
        InflateRect(&text, 1, 0);
        DrawFocusRect(dc, &text);
    }
    SelectObject(dc, oldFont);
}

long Win32Label::ReaderRole() const {
    if (!spec_.handCursor) return ROLE_SYSTEM_STATICTEXT;
    return spec_.link ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_PUSHBUTTON;
}

long Win32Label::ReaderState() const {
    const long role = ReaderRole();
    return (role == ROLE_SYSTEM_LINK ? STATE_SYSTEM_LINKED : 0) | (role == ROLE_SYSTEM_STATICTEXT ? STATE_SYSTEM_READONLY : 0) |
           (enabled_ ? 0 : STATE_SYSTEM_UNAVAILABLE);
}

Text Win32Label::ReaderAction() const {
    if (!spec_.handCursor) return {};
    return spec_.link ? u"Git" : u"Bas";
}

Win32Image::Win32Image(Win32ControlHost& host, const ControlSpec& spec, int pictureId)
    : Win32Windowless(host, spec), pictureId_(pictureId), picture_(Load()) {}

UniqueGdi<HBITMAP> Win32Image::Load() const {
    return LoadJpegResource(host_.Instance(), pictureId_, rect_.right - rect_.left, rect_.bottom - rect_.top);
}

void Win32Image::Replace() {
    Win32Windowless::Replace();
    picture_ = Load();
}

void Win32Image::Paint(HDC dc, bool) const {
    if (!picture_) return;  // the plain strip
    HDC source = CreateCompatibleDC(dc);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, picture_.get());
    BitBlt(dc, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

bool Win32Image::Press(int, bool) {
    // Any button, the second press of a double-click too: the handler asks for the system's move.
    if (MouseDown) MouseDown();
    return false;
}

void Win32Line::Paint(HDC dc, bool) const {
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    const COLORREF oldColor = SetDCPenColor(dc, Ref(host_.Paints().LookOf(&spec_, true).text));
    MoveToEx(dc, rect_.left, rect_.top, nullptr);
    LineTo(dc, rect_.right - 1, rect_.bottom - 1);
    SetDCPenColor(dc, oldColor);
    SelectObject(dc, oldPen);
}

}  // namespace velkora
