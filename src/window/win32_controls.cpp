#include "window/win32_controls.h"

namespace velkora {

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

void Win32Timer::SetEnabled(bool enabled) {
    // Enabling a running timer leaves it alone: its next tick is not moved.
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr);
    else KillTimer(owner_, id_);
}

Win32PictureBox::Win32PictureBox(HWND parent, HINSTANCE instance, int id, RECT rect, bool visible, HICON picture)
    : picture_(picture) {
    RegisterClassOnce(instance, L"VelkoraPicture", 0, LoadCursorW(nullptr, IDC_ARROW));
    CreateWindowFor(0, L"VelkoraPicture", L"", WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0), rect.left,
                    rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance);
}

Win32PictureBox::~Win32PictureBox() {
    if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT Win32PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE: return OnMouseMove(LOWORD(lParam));
        default: return Default(message, wParam, lParam);
    }
}

// The shell reports each mouse event on the icon as WM_MOUSEMOVE (the
// callback message) with the event's own message number in the low word.
LRESULT Win32PictureBox::OnMouseMove(int x) {
    if (MouseMove) MouseMove(x);
    return 0;
}

}  // namespace velkora
