// The main window's own painting: the banner, the two lines and the
// windowless labels, with the keyboard focus shown on the label that names
// the focused control.
#include "window/win32_main_window.h"

namespace velkora {

LRESULT MainWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    // Drawn off screen first, so that a caption changing every second does
    // not flicker; straight onto the screen when there is no memory for that.
    HDC memory = CreateCompatibleDC(target);
    UniqueGdi<HBITMAP> buffer(memory ? CreateCompatibleBitmap(target, client.right, client.bottom) : nullptr);
    HDC dc = buffer ? memory : target;
    HGDIOBJ oldBitmap = buffer ? SelectObject(memory, buffer.get()) : nullptr;

    FillRect(dc, &client, controls_->Paints().Brush(ColorOf(kFormBack, 0)));
    SetBkMode(dc, TRANSPARENT);
    const bool focusCues = (SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, RGB(128, 128, 128));
    for (const Windowless& w : controls_->WindowlessControls()) {
        switch (w.spec->kind) {
            case Kind::Image: PaintBanner(dc, w.rect); break;
            case Kind::Line:
                MoveToEx(dc, w.rect.left, w.rect.top, nullptr);
                LineTo(dc, w.rect.right - 1, w.rect.bottom - 1);
                break;
            default: PaintLabel(dc, w, focusCues && &w == focusMark_); break;
        }
    }
    SelectObject(dc, oldPen);

    if (buffer) {
        BitBlt(target, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        SelectObject(memory, oldBitmap);
    }
    buffer.reset();
    if (memory) DeleteDC(memory);
    EndPaint(hwnd_, &ps);
    return 0;
}

void MainWindow::PaintBanner(HDC dc, const RECT& r) const {
    if (!banner_) return;  // the plain strip
    HDC source = CreateCompatibleDC(dc);
    if (!source) return;
    HGDIOBJ old = SelectObject(source, banner_.get());
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

void MainWindow::PaintLabel(HDC dc, const Windowless& w, bool focusMark) {
    const auto* label = static_cast<const Win32Label*>(w.control);
    const std::wstring caption = Wide(label->Caption());
    HGDIOBJ oldFont = SelectObject(dc, controls_->Paints().Font(w.spec->font));
    SetTextColor(dc, ColorOf(w.spec->fore, GetSysColor(COLOR_WINDOWTEXT)));
    // A label with room for two lines wraps its words; a one-line label keeps
    // its text on one line, even past its right edge.
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    const bool wraps = w.rect.bottom - w.rect.top >= 2 * metrics.tmHeight;
    const UINT format = DT_NOPREFIX | (w.spec->align == Align::Center ? DT_CENTER : DT_LEFT) |
                        (wraps ? DT_WORDBREAK : DT_SINGLELINE | DT_NOCLIP);
    RECT r = w.rect;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r, format);
    if (focusMark) {
        RECT text = w.rect;
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format | DT_CALCRECT);
        InflateRect(&text, 1, 0);
        DrawFocusRect(dc, &text);
    }
    SelectObject(dc, oldFont);
}

}  // namespace velkora
