// The Win32 backing of the control model. Each control that is a child window
// is a thin wrapper, a Window that subclasses it and owns its messages: the
// parent's window base reflects to it its notifications (WM_COMMAND), its
// colours (WM_CTLCOLOR*) and its drawing (WM_DRAWITEM). Labels, lines and the
// banner have no windows (win32_windowless.h), as in the toolkit the window
// was designed for.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/win32_platform.h"
#include "platform/win32_text.h"
#include "window/controls.h"
#include "window/form1_layout.h"
#include "window/win32_accessible.h"
#include "window/win32_paint.h"
#include "window/win32_window_base.h"

namespace velkora {

// What a control asks of the window it sits on.
class Win32ControlHost {
public:
    virtual HWND Hwnd() const = 0;
    virtual HINSTANCE Instance() const = 0;
    virtual Win32Paints& Paints() = 0;
    virtual RECT Place(const ControlSpec& spec) const = 0;  // client pixels at the window's DPI
    virtual void FocusMoved() = 0;  // a control took or lost the keyboard focus
    // The window's client area as a screen reader walks it.
    virtual std::weak_ptr<const AccessibleTree> ReaderTree() const = 0;
    // Tells a screen reader that a painted control changed (EVENT_OBJECT_*).
    virtual void Announce(const AccessibleElement& element, DWORD event) = 0;

protected:
    ~Win32ControlHost() = default;
};

// A child window made from its description.
class Win32Child : public Window {
public:
    Win32Child(Win32ControlHost& host, const ControlSpec& spec) : host_(host), spec_(spec) {}
    const ControlSpec& Spec() const { return spec_; }
    HBRUSH OnControlColor(HDC dc) override;  // the description's colours
    // Takes its place and font again from the description, at the window's DPI now.
    void Replace();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnFocusChange(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnShownOrEnabled(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);
    // Creates the window at the place the description gives, with its font;
    // raises an error when the system refuses.
    void Create(const wchar_t* className, DWORD style, DWORD exStyle = 0);
    // The child's own messages; what a wrapper does not take goes to Default.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) { return Default(message, wParam, lParam); }

    Win32ControlHost& host_;
    const ControlSpec& spec_;

private:
    KeptAccessible reader_;  // what a screen reader is handed, made when first asked for
};

template <class Base>
class Win32Control : public Base, public Win32Child {
public:
    template <class... Args>
    Win32Control(Win32ControlHost& host, const ControlSpec& spec, Args&&... args)
        : Base(std::forward<Args>(args)...), Win32Child(host, spec) {}
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
};

class Win32CheckBox final : public Win32Control<CheckBox> {
public:
    Win32CheckBox(Win32ControlHost& host, const ControlSpec& spec);
    int Value() const override { return static_cast<int>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0)); }
    void SetValue(int value) override { SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(value), 0); }
    void OnCommand(int code) override;
};

// One of the window's option buttons: the button itself keeps the group
// exclusive, and an arrow key that moves to it selects it.
class Win32OptionButton final : public Win32Control<OptionButton> {
public:
    Win32OptionButton(Win32ControlHost& host, const ControlSpec& spec, bool selected);
    bool Value() const override { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void OnCommand(int code) override;
};

class Win32TextBox final : public Win32Control<TextBox> {
public:
    Win32TextBox(Win32ControlHost& host, const ControlSpec& spec);
    Text GetText() const override { return WindowText(hwnd_); }
    void SetText(const Text& text) override;
    void OnCommand(int code) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    LRESULT OnChar(WPARAM character, LPARAM lParam);
    LRESULT OnPaste();
    LRESULT OnMendCharacters();
    static constexpr UINT kMendCharacters = WM_APP + 1;  // posted to the box itself
    bool mendPosted_ = false;
    bool highTyped_ = false;  // the last WM_CHAR was the first half of a pair
    int Room() const;  // how many more units the limit lets in, the selection replaced
    bool droppingPair_ = false;  // the high half of a pair was refused: refuse its low half too
};

class Win32CommandButton final : public Win32Control<CommandButton> {
public:
    Win32CommandButton(Win32ControlHost& host, const ControlSpec& spec);
    // The button Enter presses wears the default border.
    void SetDefault(bool isDefault);
    void OnCommand(int code) override;
    void OnDrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool isDefault_ = false;
};

class Win32ListBox final : public Win32Control<ListBox> {
public:
    Win32ListBox(Win32ControlHost& host, const ControlSpec& spec);
    int ListCount() const override { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }
    Text List(int position) const override;
    int ListIndex() const override { return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }
    void AddItem(const Text& entry) override;
    void RemoveItem(int position) override;
    void Clear() override { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
    void OnCommand(int code) override;

protected:
    void Select(int position) override { SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(position), 0); }
};

class Win32Timer final : public Timer {
public:
    Win32Timer(HWND owner, UINT_PTR id, int interval) : owner_(owner), id_(id), interval_(interval) {}
    bool Enabled() const override { return enabled_; }
    // A timer the system cannot start raises an error and stays off.
    void SetEnabled(bool enabled) override;
    int Interval() const override { return interval_; }

private:
    HWND owner_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
};

// An invisible picture box with a window of its own: the owner of the
// notification-area icon, which receives the shell's callback message.
class Win32PictureBox final : public PictureBox, public Window {
public:
    Win32PictureBox(Win32ControlHost& host, const ControlSpec& spec, HICON picture);
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    Handle WindowHandle() const override { return FromHwnd(hwnd_); }
    Handle Picture() const override { return static_cast<Handle>(reinterpret_cast<std::uintptr_t>(picture_)); }
    // The picture drawn for another DPI, and the place at it.
    void Replace(HICON picture);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    Win32ControlHost& host_;
    const ControlSpec& spec_;
    HICON picture_;
};

class Win32Form final : public FormWindow {
public:
    explicit Win32Form(HWND hwnd) : hwnd_(hwnd) {}
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    Handle WindowHandle() const override { return FromHwnd(hwnd_); }
    bool Visible() const override { return IsWindowVisible(hwnd_) != FALSE; }
    // A window that something minimised or maximised comes back at its own
    // size, and in front, where keys such as Alt+F4 reach it.
    void Show() override {
        ShowWindow(hwnd_, IsIconic(hwnd_) || IsZoomed(hwnd_) ? SW_RESTORE : SW_SHOW);
        SetForegroundWindow(hwnd_);
    }
    void Hide() override { ShowWindow(hwnd_, SW_HIDE); }

private:
    HWND hwnd_;
};

}  // namespace velkora
