// The main window's own painting: its background, then each painted control
// (the banner, the two lines, the labels) in its order, the focus mark among
// them.
#include "window/win32_main_window.h"

#include <algorithm>
#include "window/win32_startup.h"

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

    FillRect(dc, &client, controls_->Paints().Brush(Ref(controls_->Paints().LookOf(nullptr, true).back)));
    const bool focusCues = (SendMessageW(hwnd_, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
    // Only what lies where the window is drawn again: the labels that hold
    // text beyond the window's edge are never drawn, nor their fonts made.
    RECT meets{};
    for (const Win32Windowless* painted : controls_->Painted()) {
        RECT area = painted->Rect();
        area.right = std::max(area.right, client.right);  // a one-line caption may run past its right edge
        if (IntersectRect(&meets, &area, &ps.rcPaint)) painted->Paint(dc, focusCues);
    }

    if (buffer) {
        BitBlt(target, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
               ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
        SelectObject(memory, oldBitmap);
    }
    buffer.reset();
    if (memory) DeleteDC(memory);
    EndPaint(hwnd_, &ps);
    StartupPhase("painted");
    return 0;
}

}  // namespace velkora
