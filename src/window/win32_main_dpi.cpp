// The main window at each monitor's DPI: its frame and icons for a DPI, and
// how it lays itself out again when Windows tells it of another.
#include "window/win32_main_window.h"

#include <commctrl.h>

#include "resource_ids.h"

namespace velkora {

// The window's frame at `dpi`, its client area at (0, 0): 6060 by 8565 twips.
RECT MainWindow::Frame(int dpi) {
    RECT frame{0, 0, MulDiv(kFormWidthTwips, dpi, 1440), MulDiv(kFormHeightTwips, dpi, 1440)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    return frame;
}

MainWindow::Icons MainWindow::LoadIcons(int dpi) const {
    Icons icons{IconAt(instance_, IDI_VELKORA, SM_CXICON, SM_CYICON, dpi),
                IconAt(instance_, IDI_VELKORA, SM_CXSMICON, SM_CYSMICON, dpi), nullptr};
    // The notification area's size, as the shell's documentation loads it.
    HICON tray = nullptr;
    if (SUCCEEDED(LoadIconMetric(instance_, MAKEINTRESOURCEW(IDI_VELKORA), LIM_SMALL, &tray))) icons.tray.reset(tray);
    else icons.tray = IconAt(instance_, IDI_VELKORA, SM_CXSMICON, SM_CYSMICON, dpi);
    return icons;
}

// Windows tells a window that is per-monitor aware that it moved to a monitor
// of another DPI (or that the monitor's DPI changed), with the place it
// suggests for it there; Wine has one DPI and never sends this. Any process
// can send it too, so it is taken as input: a DPI no monitor has is
// ignored, the rectangle is read only where it can be, and only its corner
// is taken (the window keeps its own size at the new DPI, on a monitor's
// work area). While the window follows a right or middle button, the
// pointer stays over the same point of the banner instead.
LRESULT MainWindow::OnDpiChanged(WPARAM dpis, LPARAM suggested) {
    const int dpi = LOWORD(dpis);
    if (dpi < kLeastDpi || dpi > kMostDpi) return 0;
    RECT own{};
    GetWindowRect(hwnd_, &own);
    POINT at{own.left, own.top};
    if (move_.key) {
        GetCursorPos(&at);
        at.x -= MulDiv(move_.grab.x, dpi, dpi_);
        at.y -= MulDiv(move_.grab.y, dpi, dpi_);
    } else if (const auto rect = SuggestedRect(suggested)) {
        at = POINT{rect->left, rect->top};
    }
    Rescale(dpi, at);
    return 0;
}

// Everything is made again for `dpi`: the icons, the fonts, the banner, every
// control's place, the tooltips' areas; the window takes its frame at `at`.
// The reader's locations and the focus mark follow the controls' places; a
// move under way keeps the pointer over the same point of the banner.
void MainWindow::Rescale(int dpi, POINT at) {
    move_.grab = POINT{MulDiv(move_.grab.x, dpi, dpi_), MulDiv(move_.grab.y, dpi, dpi_)};
    dpi_ = dpi;
    Icons icons = LoadIcons(dpi);
    SetClassLongPtrW(hwnd_, GCLP_HICON, reinterpret_cast<LONG_PTR>(icons.large.get()));
    SetClassLongPtrW(hwnd_, GCLP_HICONSM, reinterpret_cast<LONG_PTR>(icons.small.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons.large.get()));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons.small.get()));
    controls_->Relayout(dpi, icons.tray.get());
    RECT place = Frame(dpi);
    OffsetRect(&place, at.x - place.left, at.y - place.top);
    place = OnWorkArea(place);
    SetWindowPos(hwnd_, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // An icon in the notification area takes the new picture; none is added.
    if (form_) form_->IconPictureChanged();
    icons_ = std::move(icons);  // the old ones are no longer shown anywhere
}

}  // namespace velkora
