// The one window base: every window Velkora handles, the ones it creates of
// its own classes and the system's controls it subclasses, is a Window. It
// keeps `this` from creation (or subclassing) to WM_NCDESTROY, runs every
// message behind the error barrier, and reflects a child's notifications
// (WM_COMMAND), colours (WM_CTLCOLOR*) and drawing (WM_DRAWITEM) to that
// child's own object.
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

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    // A window still there when its object goes is destroyed with it.
    virtual ~Window();
    HWND Hwnd() const { return hwnd_; }

    // The object of a window, or null when it has none.
    static Window* From(HWND hwnd) { return hwnd ? static_cast<Window*>(GetPropW(hwnd, kProperty)) : nullptr; }

    // Reflected from the parent window.
    virtual void OnCommand(int /*code*/) {}
    virtual HBRUSH OnControlColor(HDC /*dc*/) { return nullptr; }  // null: the system's colours
    virtual void OnDrawItem(const DRAWITEMSTRUCT& /*item*/) {}

protected:
    // The window's own messages, reflected ones aside; what it does not take
    // goes to Default.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);

    // Registers a class of Velkora's own once per process; raises an error
    // when the system refuses.
    static void RegisterClassOnce(HINSTANCE instance, const wchar_t* className, HCURSOR cursor, HICON icon = nullptr,
                                  HICON smallIcon = nullptr, UINT style = 0);
    // Creates a window of such a class for this object; null when the system refuses.
    HWND CreateWindowFor(DWORD exStyle, const wchar_t* className, DWORD style, const RECT& place, HWND parent, int id,
                         HINSTANCE instance);
    // Takes over a system control's messages.
    void Subclass(HWND hwnd);

    HWND hwnd_ = nullptr;

private:
    static constexpr wchar_t kProperty[] = L"Velkora.Window";
    void Attach(HWND hwnd);
    void Detach();
    // Reflects a child's message to the child's object; false when it is none of this window's children.
    bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR);

    bool subclassed_ = false;
};

}  // namespace velkora
