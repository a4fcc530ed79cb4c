// The controls the main window draws itself, without windows of their own:
// the labels, the two lines and the banner. Each is one object that knows
// its place (client pixels, from the window's description at the window's
// DPI), how it paints, whether a point lies on it, what a press and a click
// on it do, and what a screen reader hears of it. The window keeps them in
// the order they are drawn; child windows lie over all of them.
#pragma once

#include <windows.h>

#include "window/controls.h"
#include "window/win32_accessible.h"
#include "window/win32_controls.h"
#include "window/win32_paint.h"

namespace velkora {

class Win32Windowless {
public:
    Win32Windowless(Win32ControlHost& host, const ControlSpec& spec) : host_(host), spec_(spec), rect_(host.Place(spec)) {}
    Win32Windowless(const Win32Windowless&) = delete;
    Win32Windowless& operator=(const Win32Windowless&) = delete;
    virtual ~Win32Windowless() = default;

    const ControlSpec& Spec() const { return spec_; }
    const RECT& Rect() const { return rect_; }

    // Draws it; `focusCues`: the keyboard cues are shown now.
    virtual void Paint(HDC dc, bool focusCues) const = 0;
    // Whether a press at a client point is this control's, where nothing lies over it.
    virtual bool Hit(POINT p) const { return PtInRect(&rect_, p) != FALSE; }
    // A mouse button went down over it (`second`: the second press of a
    // double-click). True when it waits for the release, holding the pointer.
    virtual bool Press(int /*key*/, bool /*second*/) { return false; }
    // The awaited release: what a click does when it came over the control.
    virtual void Release(bool /*over*/) {}
    // What a click does; a screen reader's default action does the same.
    virtual void Act() {}
    bool HandCursor() const { return spec_.handCursor; }
    // What a screen reader finds of it; null when it finds nothing.
    virtual const AccessibleElement* Reader() const { return nullptr; }
    // Takes its place again from the description, at the window's DPI now.
    virtual void Replace() { rect_ = host_.Place(spec_); }

protected:
    void Invalidate() const { InvalidateRect(host_.Hwnd(), &rect_, FALSE); }

    Win32ControlHost& host_;
    const ControlSpec& spec_;
    RECT rect_;
};

// A label: its caption on the window, transparent. One that acts (a hand
// cursor) is a button or a link to a reader, the others static text; a label
// that names a control without a caption shows the keyboard focus for it.
class Win32Label final : public Label, public Win32Windowless, public AccessibleElement {
public:
    Win32Label(Win32ControlHost& host, const ControlSpec& spec)
        : Win32Windowless(host, spec), caption_(spec.text ? Text(spec.text) : Text()) {}
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override;
    Text Caption() const override { return caption_; }
    void SetCaption(const Text& caption) override;
    // Shows or takes away the mark of the keyboard focus around the caption.
    void SetFocusMark(bool shown);
    void InvalidateFocusMark() const;

    void Paint(HDC dc, bool focusCues) const override;
    // The left button clicks, on its release over the label; the second
    // press of a double-click is no click.
    bool Press(int key, bool second) override { return key == VK_LBUTTON && !second; }
    void Release(bool over) override {
        if (over) Act();
    }
    void Act() override {
        if (enabled_ && Click) Click();
    }
    const AccessibleElement* Reader() const override { return BeyondTheEdge(spec_) ? nullptr : this; }

    Text ReaderName() const override { return spec_.tooltip ? Text(spec_.tooltip) : caption_; }
    long ReaderRole() const override;
    long ReaderState() const override;
    Text ReaderAction() const override;
    RECT ReaderPlace() const override { return rect_; }

private:
    void InvalidateMarkArea() const;

    Text caption_;
    bool enabled_ = true;
    bool focusMark_ = false;
};

// The banner: its picture, drawn at the control's size when it is made and
// again when the DPI changes (the plain strip when it cannot be loaded). A press of any button on it is its mouse
// press; it has no click.
class Win32Image final : public Image, public Win32Windowless {
public:
    Win32Image(Win32ControlHost& host, const ControlSpec& spec, int pictureId);
    bool Enabled() const override { return true; }
    void SetEnabled(bool) override {}
    void Paint(HDC dc, bool focusCues) const override;
    bool Press(int key, bool second) override;
    void Replace() override;  // the picture too, drawn anew at its new size

private:
    UniqueGdi<HBITMAP> Load() const;

    int pictureId_;
    UniqueGdi<HBITMAP> picture_;
};

// A grey line, one pixel wide; it takes no press.
class Win32Line final : public Win32Windowless {
public:
    using Win32Windowless::Win32Windowless;
    void Paint(HDC dc, bool focusCues) const override;
    bool Hit(POINT) const override { return false; }
};

}  // namespace velkora
