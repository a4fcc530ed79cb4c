// The in-memory backing of the control model: the window as plain data. Tests
// and the randomised event runs drive it directly (a click or a timer tick is
// a function call; nothing sleeps).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "window/controls.h"
#include "window/form1_layout.h"

namespace velkora {

class MemoryCheckBox final : public CheckBox {
public:
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    int Value() const override { return value; }
    void SetValue(int v) override { value = v; }
    // A user's click: toggles the box, then raises the click event. A
    // disabled box takes no clicks.
    void UserClick() {
        if (!enabled) return;
        value = value == 1 ? 0 : 1;
        if (Click) Click();
    }
    bool enabled = true;
    int value = 0;
};

class MemoryOptionButton final : public OptionButton {
public:
    MemoryOptionButton(int index, std::vector<MemoryOptionButton*>* group)
        : OptionButton(index), group_(group) {}
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    bool Value() const override { return value; }
    void UserClick() {
        if (!enabled) return;
        for (auto* other : *group_) other->value = other == this;
        if (Click) Click(Index);
    }
    bool enabled = true;
    bool value = false;

private:
    std::vector<MemoryOptionButton*>* group_;
};

class MemoryTextBox final : public TextBox {
public:
    MemoryTextBox(int maxLength, bool readOnly) : maxLength(maxLength), readOnly(readOnly) {}
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    Text GetText() const override { return text; }
    void SetText(const Text& t) override { text = t; }
    // Typing obeys the character limit, whole characters only, and a
    // read-only box takes none; setting the text from code does neither.
    void UserType(const Text& typed) {
        if (!enabled || readOnly) return;
        for (std::size_t i = 0; i < typed.size(); ++i) {
            const bool pair = typed[i] >= 0xD800 && typed[i] <= 0xDBFF && i + 1 < typed.size();
            const std::size_t units = pair ? 2 : 1;
            if (maxLength == 0 || text.size() + units <= static_cast<std::size_t>(maxLength)) text.append(typed, i, units);
            i += units - 1;
        }
    }
    bool enabled = true;
    int maxLength;
    bool readOnly;
    Text text;
};

class MemoryLabel final : public Label {
public:
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    Text Caption() const override { return caption; }
    void SetCaption(const Text& c) override { caption = c; }
    void UserClick() {
        if (enabled && Click) Click();
    }
    bool enabled = true;
    Text caption;
};

class MemoryCommandButton final : public CommandButton {
public:
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    void UserClick() {
        if (enabled && Click) Click();
    }
    bool enabled = true;
};

class MemoryImage final : public Image {
public:
    bool Enabled() const override { return true; }
    void SetEnabled(bool) override {}
    void UserPress() {
        if (MouseDown) MouseDown();
    }
};

class MemoryListBox final : public ListBox {
public:
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    int ListCount() const override { return static_cast<int>(entries.size()); }
    Text List(int p) const override {
        return p >= 0 && p < ListCount() ? entries[static_cast<std::size_t>(p)] : Text{};
    }
    int ListIndex() const override { return selected; }
    void AddItem(const Text& e) override {
        if (ListCount() >= kMaxEntries) errors::Raise(errors::kOutOfMemory);
        entries.push_back(e);
    }
    void RemoveItem(int p) override {
        if (p < 0 || p >= ListCount()) errors::Raise(errors::kInvalidCall);
        entries.erase(entries.begin() + p);
        if (selected == p) selected = -1;
        else if (selected > p) --selected;
    }
    void Clear() override {
        entries.clear();
        selected = -1;
    }
    void UserClick(int p) {
        if (enabled && p >= 0 && p < ListCount()) SetListIndex(p);
    }
    bool enabled = true;
    std::vector<Text> entries;
    int selected = -1;

protected:
    void Select(int p) override { selected = p; }
};

class MemoryTimer final : public Timer {
public:
    explicit MemoryTimer(int interval) : interval_(interval) {}
    bool Enabled() const override { return enabled; }
    void SetEnabled(bool e) override { enabled = e; }
    int Interval() const override { return interval_; }
    // One tick of a running timer; a stopped timer does not tick.
    void Fire() {
        if (enabled && Tick) Tick();
    }
    bool enabled = false;

private:
    int interval_;
};

class MemoryPictureBox final : public PictureBox {
public:
    MemoryPictureBox(Handle window, Handle picture) : window_(window), picture_(picture) {}
    bool Enabled() const override { return true; }
    void SetEnabled(bool) override {}
    Handle WindowHandle() const override { return window_; }
    Handle Picture() const override { return picture_; }

private:
    Handle window_, picture_;
};

class MemoryForm final : public FormWindow {
public:
    bool Enabled() const override { return true; }
    void SetEnabled(bool) override {}
    Handle WindowHandle() const override { return 0x10; }
    bool Visible() const override { return visible; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    bool visible = true;
};

// The whole window in memory, built from the window's description.
class MemoryControls final : public ControlSet {
public:
    MemoryControls();
    Control* Find(std::string_view name) override;

    template <class T>
    T& As(std::string_view name) { return Get<T>(name); }

    MemoryCheckBox& Check(int n) { return As<MemoryCheckBox>("Check" + std::to_string(n)); }
    MemoryTextBox& TextBoxNamed(std::string_view name) { return As<MemoryTextBox>(name); }
    MemoryTimer& TimerNumber(int n) { return As<MemoryTimer>("Timer" + std::to_string(n)); }

private:
    std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
    std::vector<MemoryOptionButton*> options_;
};

}  // namespace velkora
