// The control model the handlers are written against. Each control has two
// backings: real child windows (Win32) and plain memory (tests). Callbacks are
// per instance; Form1 attaches its handlers to them.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

namespace velkora {

class Control {
public:
    virtual ~Control() = default;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

class CheckBox : public Control {
public:
    // 0 clear, 1 ticked; any other value counts as clear wherever it is read.
    virtual int Value() const = 0;
    virtual void SetValue(int value) = 0;
    bool Ticked() const { return Value() == 1; }
    std::function<void()> Click;
};

class OptionButton : public Control {
public:
    explicit OptionButton(int index) : Index(index) {}
    virtual bool Value() const = 0;
    const int Index;  // the button's index in its control array
    std::function<void(int index)> Click;
};

class TextBox : public Control {
public:
    virtual Text GetText() const = 0;
    virtual void SetText(const Text& text) = 0;
};

class Label : public Control {
public:
    virtual Text Caption() const = 0;
    virtual void SetCaption(const Text& caption) = 0;
    std::function<void()> Click;
};

class CommandButton : public Control {
public:
    std::function<void()> Click;
};

// The banner picture: raises its mouse-press event only.
class Image : public Control {
public:
    std::function<void()> MouseDown;
};

class ListBox : public Control {
public:
    static constexpr int kMaxEntries = 32767;  // positions are 16-bit signed numbers

    virtual int ListCount() const = 0;
    // The entry at a position; an empty text where there is none.
    virtual Text List(int position) const = 0;
    virtual int ListIndex() const = 0;  // -1: no selection
    // Appends at the end; raises an error when the list is full.
    virtual void AddItem(const Text& entry) = 0;
    // Raises an error when no entry stands at the position.
    virtual void RemoveItem(int position) = 0;
    virtual void Clear() = 0;

    // Selecting from code acts as a user's click: the click handler runs at
    // once, nested inside this call. Raises an error when there is no entry at
    // the position, and then no click runs.
    void SetListIndex(int position) {
        if (position < -1 || position >= ListCount()) errors::Raise(errors::kInvalidValue);
        Select(position);
        if (Click) Click();
    }
    std::function<void()> Click;

protected:
    virtual void Select(int position) = 0;
};

class Timer : public Control {
public:
    // Enabling a running timer changes nothing: it is not restarted.
    virtual int Interval() const = 0;
    std::function<void()> Tick;
};

class PictureBox : public Control {
public:
    virtual Handle WindowHandle() const = 0;
    virtual Handle Picture() const = 0;  // handle of the icon it holds, 0 for none
    // The shell's icon callback, decoded: the event and, where the shell
    // gives it, the point it belongs to.
    std::function<void(int message, std::optional<ScreenPoint> at)> MouseMove;
};

class FormWindow : public Control {
public:
    std::function<void()> Load;    // raised once, before the window is first shown
    std::function<void()> Unload;  // raised once, when the window is destroyed by any road
    std::function<void()> TaskbarCreated;  // the shell's taskbar was (re)created
    std::function<void()> StartedAgain;    // the user started the program a second time
    virtual Handle WindowHandle() const = 0;
    virtual bool Visible() const = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
};

// All controls of the one window, found by name.
class ControlSet {
public:
    virtual ~ControlSet() = default;
    virtual Control* Find(std::string_view name) = 0;

    template <class T>
    T& Get(std::string_view name) {
        if (auto* c = dynamic_cast<T*>(Find(name))) return *c;
        throw std::logic_error("no control " + std::string(name) + " of the expected kind");
    }
};

}  // namespace velkora
