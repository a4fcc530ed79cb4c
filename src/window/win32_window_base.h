// The one window base: keeps `this` in the window from WM_NCCREATE to
// WM_NCDESTROY and hands every message to the derived class's
// HandleMessage(UINT, WPARAM, LPARAM).
#pragma once

#include <windows.h>

namespace velkora {

template <class Derived>
class WindowBase {
public:
    HWND Hwnd() const { return hwnd_; }

protected:
    static ATOM RegisterClassOnce(HINSTANCE instance, const wchar_t* className, UINT style, HCURSOR cursor,
                                  HICON icon = nullptr, HICON smallIcon = nullptr) {
        WNDCLASSEXW wc{};
        if (GetClassInfoExW(instance, className, &wc)) return 1;
        wc.cbSize = sizeof wc;
        wc.style = style;
        wc.lpfnWndProc = &WindowBase::Procedure;
        wc.hInstance = instance;
        wc.hCursor = cursor;
        wc.hIcon = icon;
        wc.hIconSm = smallIcon;
        wc.lpszClassName = className;
        return RegisterClassExW(&wc);
    }

    HWND CreateWindowFor(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, int x, int y,
                         int width, int height, HWND parent, HMENU menu, HINSTANCE instance) {
        return CreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu, instance,
                               static_cast<Derived*>(this));
    }

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }

    HWND hwnd_ = nullptr;

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        Derived* self = nullptr;
        if (message == WM_NCCREATE) {
            self = static_cast<Derived*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->hwnd_ = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
        const LRESULT result = self->HandleMessage(message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    }
};

}  // namespace velkora
