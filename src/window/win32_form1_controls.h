// The window's controls, made from its description at the screen's DPI: the
// child windows, the windowless labels, lines and banner, the timers and the
// tooltips; found by name for Form1. The main window owns it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "window/controls.h"
#include "window/win32_controls.h"
#include "window/win32_paint.h"

namespace velkora {

class Form1Controls final : public ControlSet, public Win32ControlHost {
public:
    // A control without a window of its own, where the window draws it.
    struct Windowless {
        const ControlSpec* spec;
        Win32Windowless* control;  // null for a line
        RECT rect;
    };

    // `focusMoved` runs whenever a control takes or loses the keyboard focus.
    Form1Controls(HWND window, HINSTANCE instance, int dpi, HICON picture, std::function<void()> focusMoved);
    Form1Controls(const Form1Controls&) = delete;
    Form1Controls& operator=(const Form1Controls&) = delete;
    // Makes every control; raises an error when the system refuses one.
    void Create();

    Control* Find(std::string_view name) override;
    HWND Hwnd() const override { return window_; }
    HINSTANCE Instance() const override { return instance_; }
    Win32Paints& Paints() override { return paints_; }
    RECT Place(const ControlSpec& spec) const override;
    void FocusMoved() override {
        if (focusMoved_) focusMoved_();
    }

    const std::vector<Windowless>& WindowlessControls() const { return windowless_; }
    const Windowless* HitTest(int x, int y) const;  // the windowless control on top at a client point
    const Windowless* WindowlessNamed(const char* name) const;
    const std::vector<Win32CommandButton*>& Buttons() const { return buttons_; }
    Win32CommandButton* ActivateButton() const { return activateButton_; }  // Enter's button unless another has the focus
    Win32Timer* TimerWithId(UINT_PTR id) const { return id >= 1 && id <= timers_.size() ? timers_[id - 1] : nullptr; }

private:
    void AddTooltip(const ControlSpec& spec, const RECT& rect);

    HWND window_;
    HINSTANCE instance_;
    Win32Paints paints_;
    HICON picture_;
    std::function<void()> focusMoved_;
    std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
    std::vector<Windowless> windowless_;
    std::vector<Win32CommandButton*> buttons_;
    Win32CommandButton* activateButton_ = nullptr;
    std::vector<Win32Timer*> timers_;
    HWND tooltip_ = nullptr;  // one for every tool; goes with the window
};

}  // namespace velkora
