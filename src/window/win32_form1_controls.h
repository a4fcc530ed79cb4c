// The window's controls, made from its description at the screen's DPI: the
// child windows, the painted controls (labels, lines, the banner), the
// timers and the tooltips; found by name for Form1. It keeps the one order
// in which they lie on the window: child windows over painted controls, the
// painted ones in the order they are drawn, the last on top. Painting, the
// pointer, the keyboard's focus mark and the screen reader all go by it; the
// reader's tree is made from it whenever a reader asks. The main window owns
// it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "window/controls.h"
#include "window/win32_accessible.h"
#include "window/win32_controls.h"
#include "window/win32_paint.h"
#include "window/win32_windowless.h"

namespace velkora {

class Form1Controls final : public ControlSet,
                            public Win32ControlHost,
                            public AccessibleTree,
                            public std::enable_shared_from_this<Form1Controls> {
public:
    // Posted to the window with a painted control's index: do what a click on it does.
    static constexpr UINT kActMessage = WM_APP + 2;

    // What lies on top at a client point.
    struct Reached {
        HWND window = nullptr;              // a child window a user sees, or
        Win32Windowless* painted = nullptr;  // the painted control drawn last there
    };

    // `focusMoved` runs whenever a control takes or loses the keyboard focus.
    Form1Controls(HWND window, HINSTANCE instance, int dpi, HICON picture, std::function<void()> focusMoved);
    Form1Controls(const Form1Controls&) = delete;
    Form1Controls& operator=(const Form1Controls&) = delete;
    // Makes every control; raises an error when the system refuses one.
    void Create();
    // Lays every control out again at `dpi`: child windows and painted
    // controls take their places from the description, with fonts made for
    // it, the tooltips' areas follow, and the picture boxes hold `picture`.
    // Nothing is typed, selected or ticked by it.
    void Relayout(int dpi, HICON picture);

    Control* Find(std::string_view name) override;
    HWND Hwnd() const override { return window_; }
    HINSTANCE Instance() const override { return instance_; }
    Win32Paints& Paints() override { return paints_; }
    RECT Place(const ControlSpec& spec) const override;
    void FocusMoved() override {
        if (focusMoved_) focusMoved_();
    }
    std::weak_ptr<const AccessibleTree> ReaderTree() const override { return weak_from_this(); }
    void Announce(const AccessibleElement& element, DWORD event) override;

    // The painted controls, in the order they are drawn.
    const std::vector<Win32Windowless*>& Painted() const { return painted_; }
    Reached At(POINT client) const;
    Win32Label* LabelNamed(const char* name);
    const std::vector<Win32CommandButton*>& Buttons() const { return buttons_; }
    Win32CommandButton* ActivateButton() const { return activateButton_; }  // Enter's button unless another has the focus
    Win32Timer* TimerWithId(UINT_PTR id) const { return id >= 1 && id <= timers_.size() ? timers_[id - 1] : nullptr; }

    // AccessibleTree
    HWND Window() const override { return window_; }
    const std::vector<Child>& Children() const override { return readerOrder_; }
    Child ChildAt(POINT client) const override;
    bool Act(const AccessibleElement& element) const override;
    IAccessible* ClientObject() const override;
    IAccessible* ElementObject(const AccessibleElement& element) const override;

private:
    void AddTooltip(const ControlSpec& spec, const RECT& rect);
    RECT InClient(HWND child) const;  // in the window's client pixels
    // What a reader finds, in its order: the child windows a user can ever
    // see (none beyond the window's edge, no invisible picture box), then
    // the painted controls that answer a reader. Made once, after the controls.
    void OrderForReader();

    HWND window_;
    HINSTANCE instance_;
    Win32Paints paints_;
    HICON picture_;
    std::function<void()> focusMoved_;
    std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
    std::vector<std::unique_ptr<Win32Line>> lines_;  // the painted controls that are no controls of the model
    std::vector<Win32Windowless*> painted_;
    std::vector<Win32CommandButton*> buttons_;
    Win32CommandButton* activateButton_ = nullptr;
    std::vector<Win32Timer*> timers_;
    HWND tooltip_ = nullptr;  // one for every tool; goes with the window
    std::vector<Child> readerOrder_;
    mutable KeptAccessible client_;                      // the reader's objects, made when first asked for
    mutable std::map<const AccessibleElement*, KeptAccessible> elements_;
};

}  // namespace velkora
