#include "window/win32_window_base.h"

namespace velkora {

void ErrorBarrier::Report() noexcept {
    try {
        const RuntimeError error = errors::CurrentError();
        if (platform_) {
            platform_->EndWithError(error);
            return;
        }
        ExitProcess(static_cast<UINT>(error.Number()));
    } catch (...) {
        // Not even the report could be made (memory is exhausted): end all the same.
        ExitProcess(errors::kOutOfMemory);
    }
}

Window::~Window() {
    // A derived window that is to see its own destruction destroys itself
    // first. Here the object lets go: a subclassed control goes with its
    // parent, a window of Velkora's class goes now, answered by default.
    if (!hwnd_) return;
    HWND hwnd = hwnd_;
    const bool own = !subclassed_;
    Detach();
    if (own) DestroyWindow(hwnd);
}

void Window::RegisterClassOnce(HINSTANCE instance, const wchar_t* className, HCURSOR cursor, HICON icon, HICON smallIcon,
                               UINT style) {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(instance, className, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = &Window::WindowProcedure;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc)) RaiseSystemError(u"Pencere sınıfı kaydedilemedi");
}

HWND Window::CreateWindowFor(DWORD exStyle, const wchar_t* className, DWORD style, const RECT& place, HWND parent, int id,
                             HINSTANCE instance) {
    return CreateWindowExW(exStyle, className, L"", style, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                           this);
}

void Window::Subclass(HWND hwnd) {
    Attach(hwnd);
    subclassed_ = SetWindowSubclass(hwnd, &Window::SubclassProcedure, 0, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
    if (!subclassed_) {
        Detach();
        RaiseSystemError(u"Denetim alt sınıflanamadı");
    }
}

void Window::Attach(HWND hwnd) {
    hwnd_ = hwnd;
    SetPropW(hwnd, kProperty, this);
}

void Window::Detach() {
    if (subclassed_) RemoveWindowSubclass(hwnd_, &Window::SubclassProcedure, 0);
    RemovePropW(hwnd_, kProperty);
    subclassed_ = false;
    hwnd_ = nullptr;
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return subclassed_ ? DefSubclassProc(hwnd_, message, wParam, lParam) : DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool Window::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
        case WM_COMMAND: child = reinterpret_cast<HWND>(lParam); break;
        case WM_CTLCOLORSTATIC: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
            child = reinterpret_cast<HWND>(lParam);
            break;
        case WM_DRAWITEM: child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem; break;
        default: return false;
    }
    // Only this window's own children, whoever sent the message naming them.
    Window* object = child && GetAncestor(child, GA_PARENT) == hwnd_ ? From(child) : nullptr;
    if (!object) return false;
    switch (message) {
        case WM_COMMAND: object->OnCommand(HIWORD(wParam)); result = 0; return true;
        case WM_DRAWITEM: object->OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); result = TRUE; return true;
        default: {
            HBRUSH brush = object->OnControlColor(reinterpret_cast<HDC>(wParam));
            result = reinterpret_cast<LRESULT>(brush);
            return brush != nullptr;
        }
    }
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND hwnd = hwnd_;
    const LRESULT result = ErrorBarrier::Run(
        [&] {
            LRESULT reflected = 0;
            return Reflect(message, wParam, lParam, reflected) ? reflected : HandleMessage(message, wParam, lParam);
        },
        [&] { return subclassed_ ? DefSubclassProc(hwnd, message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam); });
    if (message == WM_NCDESTROY && hwnd_ == hwnd) Detach();
    return result;
}

LRESULT CALLBACK Window::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams)->Attach(hwnd);
    Window* self = From(hwnd);
    return self ? self->Dispatch(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Window::SubclassProcedure(HWND, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    return reinterpret_cast<Window*>(data)->Dispatch(message, wParam, lParam);
}

}  // namespace velkora
