// The Win32 backing of the control model: thin wrappers over child windows.
// Labels and the banner are windowless, drawn and hit-tested by the main
// window, as in the toolkit the window was designed for.
#pragma once

#include <windows.h>

#include "platform/win32_platform.h"
#include "platform/win32_text.h"
#include "window/controls.h"
#include "window/form1_layout.h"
#include "window/win32_window_base.h"

namespace velkora {

template <class Base>
class Windowed : public Base {
public:
    template <class... Args>
    explicit Windowed(HWND hwnd, Args&&... args) : Base(std::forward<Args>(args)...), hwnd_(hwnd) {}
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    HWND Hwnd() const { return hwnd_; }

protected:
    HWND hwnd_;
};

class Win32CheckBox final : public Windowed<CheckBox> {
public:
    using Windowed::Windowed;
    int Value() const override { return static_cast<int>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0)); }
    void SetValue(int value) override { SendMessageW(hwnd_, BM_SETCHECK, static_cast<WPARAM>(value), 0); }
};

class Win32OptionButton final : public Windowed<OptionButton> {
public:
    using Windowed::Windowed;
    bool Value() const override { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Check(bool on) { SendMessageW(hwnd_, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }
};

class Win32TextBox final : public Windowed<TextBox> {
public:
    using Windowed::Windowed;
    Text GetText() const override { return WindowText(hwnd_); }
    void SetText(const Text& text) override {
        // The uptime refresh writes the same sentence for a minute: an
        // unchanged text costs no WM_SETTEXT.
        if (text != WindowText(hwnd_)) SetWindowTextW(hwnd_, Wide(text).c_str());
    }
};

class Win32CommandButton final : public Windowed<CommandButton> {
public:
    using Windowed::Windowed;
};

class Win32ListBox final : public Windowed<ListBox> {
public:
    using Windowed::Windowed;
    int ListCount() const override { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }
    Text List(int position) const override;
    int ListIndex() const override { return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)); }
    void AddItem(const Text& entry) override;
    void RemoveItem(int position) override;
    void Clear() override { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }

protected:
    void Select(int position) override { SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(position), 0); }
};

class Win32Timer final : public Timer {
public:
    Win32Timer(HWND owner, UINT_PTR id, int interval) : owner_(owner), id_(id), interval_(interval) {}
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override;
    int Interval() const override { return interval_; }
    UINT_PTR Id() const { return id_; }

private:
    HWND owner_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
};

// A windowless control: its place on the main window and whether it is on.
class Win32Windowless {
public:
    Win32Windowless(HWND parent, RECT rect) : parent_(parent), rect_(rect) {}
    const RECT& Rect() const { return rect_; }

protected:
    void Invalidate() const { InvalidateRect(parent_, &rect_, FALSE); }
    HWND parent_;
    RECT rect_;
};

class Win32Label final : public Label, public Win32Windowless {
public:
    Win32Label(HWND parent, RECT rect, Text caption) : Win32Windowless(parent, rect), caption_(std::move(caption)) {}
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    Text Caption() const override { return caption_; }
    void SetCaption(const Text& caption) override {
        if (caption == caption_) return;
        caption_ = caption;
        Invalidate();
    }

private:
    Text caption_;
    bool enabled_ = true;
};

class Win32Image final : public Image, public Win32Windowless {
public:
    using Win32Windowless::Win32Windowless;
    bool Enabled() const override { return true; }
    void SetEnabled(bool) override {}
};

// An invisible picture box with a window of its own: the owner of the
// notification-area icon, which receives the shell's callback message.
class Win32PictureBox final : public PictureBox, public WindowBase<Win32PictureBox> {
public:
    Win32PictureBox(HWND parent, HINSTANCE instance, int id, RECT rect, bool visible, HICON picture);
    ~Win32PictureBox() override;
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != FALSE; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    Handle WindowHandle() const override { return FromHwnd(hwnd_); }
    Handle Picture() const override { return static_cast<Handle>(reinterpret_cast<std::uintptr_t>(picture_)); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT OnMouseMove(int x);
    HICON picture_;
};

class Win32Form final : public Windowed<FormWindow> {
public:
    using Windowed::Windowed;
    Handle WindowHandle() const override { return FromHwnd(hwnd_); }
    bool Visible() const override { return IsWindowVisible(hwnd_) != FALSE; }
    void Show() override { ShowWindow(hwnd_, SW_SHOW); }
    void Hide() override { ShowWindow(hwnd_, SW_HIDE); }
};

}  // namespace velkora
