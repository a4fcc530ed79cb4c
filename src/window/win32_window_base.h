// The window bases: one for the windows Velkora registers itself (keeps `this`
// from WM_NCCREATE to WM_NCDESTROY) and one for the system's controls it
// subclasses. Both run every message behind the one error barrier.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win32_platform.h"

namespace velkora {

// No exception unwinds through user32's frames: whatever a message handler
// lets escape is reported the way an untrapped run-time error is (one box,
// then the program ends with the error's number) by the platform installed
// at start.
class ErrorBarrier {
public:
    static void Install(Platform& platform) { platform_ = &platform; }

    // Runs handler(); if it throws, reports the error and answers with
    // fallback(), the message's default handling.
    template <class Handler, class Fallback>
    static LRESULT Run(Handler&& handler, Fallback&& fallback) noexcept {
        try {
            return handler();
        } catch (...) {
            Report();
        }
        return fallback();
    }

private:
    static void Report() noexcept;
    static inline Platform* platform_ = nullptr;
};

// A window of a class of Velkora's own; Derived::HandleMessage answers its messages.
template <class Derived>
class WindowBase {
public:
    HWND Hwnd() const { return hwnd_; }

protected:
    // Registers the class once per process; raises an error when the system refuses.
    static void RegisterClassOnce(HINSTANCE instance, const wchar_t* className, HCURSOR cursor, HICON icon = nullptr,
                                  HICON smallIcon = nullptr) {
        WNDCLASSEXW wc{};
        if (GetClassInfoExW(instance, className, &wc)) return;
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &WindowBase::Procedure;
        wc.hInstance = instance;
        wc.hCursor = cursor;
        wc.hIcon = icon;
        wc.hIconSm = smallIcon;
        wc.lpszClassName = className;
        if (!RegisterClassExW(&wc)) RaiseSystemError(u"Pencere sınıfı kaydedilemedi");
    }

    HWND CreateWindowFor(DWORD exStyle, const wchar_t* className, DWORD style, const RECT& place, HWND parent, int id,
                         HINSTANCE instance) {
        return CreateWindowExW(exStyle, className, L"", style, place.left, place.top, place.right - place.left,
                               place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               instance, static_cast<Derived*>(this));
    }

    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd_, message, wParam, lParam); }

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
        const LRESULT result = ErrorBarrier::Run([&] { return self->HandleMessage(message, wParam, lParam); },
                                                 [&] { return DefWindowProcW(hwnd, message, wParam, lParam); });
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    }
};

// A system control (button, edit, list box) that Velkora subclasses to
// handle some of its messages itself; Derived::HandleMessage answers them and
// passes the rest on with Default.
template <class Derived>
class SubclassBase {
public:
    SubclassBase() = default;
    SubclassBase(const SubclassBase&) = delete;
    SubclassBase& operator=(const SubclassBase&) = delete;
    ~SubclassBase() {
        if (!hwnd_) return;
        RemoveWindowSubclass(hwnd_, &SubclassBase::Procedure, 0);
        RemovePropW(hwnd_, kProperty);
    }
    HWND Hwnd() const { return hwnd_; }

    // The subclass object of a window, or null when it has none. (A window
    // property, since not every import library has GetWindowSubclass.)
    static Derived* From(HWND hwnd) { return hwnd ? static_cast<Derived*>(GetPropW(hwnd, kProperty)) : nullptr; }

protected:
    void Attach(HWND hwnd) {
        hwnd_ = hwnd;
        auto* self = static_cast<Derived*>(this);
        SetPropW(hwnd, kProperty, self);
        SetWindowSubclass(hwnd, &SubclassBase::Procedure, 0, reinterpret_cast<DWORD_PTR>(self));
    }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) { return DefSubclassProc(hwnd_, message, wParam, lParam); }

    HWND hwnd_ = nullptr;

private:
    static constexpr wchar_t kProperty[] = L"Velkora.Subclass";
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
        auto* self = reinterpret_cast<Derived*>(data);
        if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, &SubclassBase::Procedure, 0);
            RemovePropW(hwnd, kProperty);
            self->hwnd_ = nullptr;
            return DefSubclassProc(hwnd, message, wParam, lParam);
        }
        return ErrorBarrier::Run([&] { return self->HandleMessage(message, wParam, lParam); },
                                 [&] { return DefSubclassProc(hwnd, message, wParam, lParam); });
    }
};

}  // namespace velkora
