#include "window/win32_accessible.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "window/win32_reader_parts.h"

namespace velkora {

namespace reader {

namespace {

// A painted control is as seen and as enabled as the window it is painted on.
long ElementState(const AccessibleTree& tree, const AccessibleElement& element) {
    return element.ReaderState() | (IsWindowVisible(tree.Window()) ? 0 : STATE_SYSTEM_INVISIBLE) |
           (IsWindowEnabled(tree.Window()) ? 0 : STATE_SYSTEM_UNAVAILABLE);
}

HRESULT DoDefaultAction(const AccessibleTree& tree, const AccessibleElement& element) {
    if (element.ReaderAction().empty()) return DISP_E_MEMBERNOTFOUND;
    // A disabled window (a message box is up) takes no action, a reader's no more than a hand's.
    if (ElementState(tree, element) & STATE_SYSTEM_UNAVAILABLE) return E_FAIL;
    return tree.Act(element) ? S_OK : E_FAIL;
}


// The client object every child answers as its parent: the one the tree keeps.
HRESULT ClientOf(const AccessibleTree& tree, IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    IAccessible* client = tree.ClientObject();
    return client ? client->QueryInterface(__uuidof(IDispatch), reinterpret_cast<void**>(parent)) : E_FAIL;
}

// A child window: the role of its kind, whatever the standard object knows
// of its class, named by its description when its caption is empty; a child
// of the main window's client object, among whose children it moves; it
// takes the keyboard focus when a reader asks, and acts only while the
// window does.
class ControlAccessible final : public DelegatingAccessible {
public:
    ControlAccessible(IAccessible* inner, HWND hwnd, long role, Text name, std::weak_ptr<const AccessibleTree> parent)
        : DelegatingAccessible(inner, hwnd), role_(role), name_(std::move(name)), parent_(std::move(parent)) {}
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return IsSelf(child) && !name_.empty() ? AnswerText(name_, name) : inner_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return IsSelf(child) ? AnswerNumber(role_, role) : inner_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const HRESULT hr = inner_->get_accState(child, state);
        const bool ticks = role_ == ROLE_SYSTEM_CHECKBUTTON || role_ == ROLE_SYSTEM_RADIOBUTTON;
        if (SUCCEEDED(hr) && IsSelf(child) && ticks && state->vt == VT_I4 &&
            SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED)
            state->lVal |= STATE_SYSTEM_CHECKED;
        return hr;
    }
    // Its place is its window's, the border included, where a click reaches it.
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        if (!IsSelf(child)) return inner_->accLocation(x, y, width, height, child);
        RECT r{};
        GetWindowRect(hwnd_, &r);
        return AnswerPlace(r, x, y, width, height);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        const Tree tree = parent_.lock();
        return tree ? ClientOf(*tree, parent) : inner_->get_accParent(parent);
    }
    // Its own items (a list's) are the standard object's; its neighbours are the walk's.
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        const Tree tree = parent_.lock();
        if (!tree || !IsSelf(start) || direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD)
            return inner_->accNavigate(direction, start, end);
        return NavigateFrom(tree, Child{hwnd_, nullptr}, direction, end);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (!IsSelf(child) || flags != SELFLAG_TAKEFOCUS) return inner_->accSelect(flags, child);
        if (!WindowActs() || !IsWindowEnabled(hwnd_) || !IsWindowVisible(hwnd_)) return S_FALSE;
        SetFocus(hwnd_);
        return GetFocus() == hwnd_ ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return WindowActs() ? inner_->accDoDefaultAction(child) : E_FAIL;
    }

private:
    // Whether the window it sits on takes input: not while a message box is up.
    bool WindowActs() const { return IsWindowEnabled(GetAncestor(hwnd_, GA_ROOT)) != FALSE; }

    long role_;
    Text name_;
    std::weak_ptr<const AccessibleTree> parent_;
};

// A painted control as an object of its own: a child of the main window's
// client object with no children, answering for itself (CHILDID_SELF) only.
class ElementAccessible final : public DelegatingAccessible {
public:
    ElementAccessible(IAccessible* inner, HWND hwnd, std::weak_ptr<const AccessibleTree> tree, const AccessibleElement* element)
        : DelegatingAccessible(inner, hwnd), tree_(std::move(tree)), element_(element) {}

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        const Tree tree = tree_.lock();
        return tree ? ClientOf(*tree, parent) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Answer(child, [&](const AccessibleTree&) { return AnswerText(element_->ReaderName(), name); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Answer(child, [&](const AccessibleTree&) { return AnswerNumber(element_->ReaderRole(), role); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Answer(child, [&](const AccessibleTree& tree) { return AnswerNumber(ElementState(tree, *element_), state); });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Answer(child, [&](const AccessibleTree&) { return AnswerText(element_->ReaderAction(), action); });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return Answer(child, [&](const AccessibleTree& tree) { return DoDefaultAction(tree, *element_); });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        return Answer(child, [&](const AccessibleTree& tree) {
            return AnswerPlace(ScreenPlace(tree, Child{nullptr, element_}), x, y, width, height);
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD)
            return Answer(start, [&](const AccessibleTree&) { return AnswerNothing(end); });
        const Tree tree = tree_.lock();
        if (!tree) return E_FAIL;
        return IsSelf(start) ? NavigateFrom(tree, Child{nullptr, element_}, direction, end) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return Answer(Self(), [&](const AccessibleTree& tree) {
            POINT p{x, y};
            ScreenToClient(hwnd_, &p);
            if (tree.ChildAt(p) != Child{nullptr, element_}) return AnswerNothing(child);
            return AnswerNumber(CHILDID_SELF, child);
        });
    }
    // It takes no focus and holds no selection; it has no value, description, help or shortcut.
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT child) override {
        return Answer(child, [](const AccessibleTree&) { return DISP_E_MEMBERNOTFOUND; });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override { return AnswerNothing(focus); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override { return AnswerNothing(selection); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override { return NoText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override { return NoText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override { return NoText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override { return NoText(child, out); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return Answer(child, [&](const AccessibleTree&) {
            if (!file || !topic) return E_POINTER;
            *file = nullptr;
            *topic = 0;
            return S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR) override {
        return Answer(child, [](const AccessibleTree&) { return E_NOTIMPL; });
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR) override {
        return Answer(child, [](const AccessibleTree&) { return DISP_E_MEMBERNOTFOUND; });
    }

private:
    // An answer about itself, while the window lasts.
    template <class Question>
    HRESULT Answer(const VARIANT& child, Question question) {
        return Guarded([&]() -> HRESULT {
            const Tree tree = tree_.lock();
            if (!tree) return E_FAIL;
            return IsSelf(child) ? question(*tree) : E_INVALIDARG;
        });
    }
    HRESULT NoText(const VARIANT& child, BSTR* out) {
        return Answer(child, [&](const AccessibleTree&) { return AnswerText(Text(), out); });
    }

    std::weak_ptr<const AccessibleTree> tree_;
    const AccessibleElement* element_;  // lives as long as the tree
};

}  // namespace

// A child window's object is the one the window answers with; a painted
// control's is the one the tree keeps for it.
HRESULT ChildObject(const Tree& tree, const Child& child, REFIID iid, void** out) {
    *out = nullptr;
    if (child.window) return AccessibleObjectFromWindow(child.window, OBJID_CLIENT, iid, out);
    IAccessible* object = tree->ElementObject(*child.element);
    return object ? object->QueryInterface(iid, out) : E_FAIL;
}

}  // namespace reader

IAccessible* NewControlAccessible(HWND control, long role, const Text& name, std::weak_ptr<const AccessibleTree> parent) {
    return reader::Make<reader::ControlAccessible>(control, role, name, std::move(parent));
}

IAccessible* NewElementAccessible(std::weak_ptr<const AccessibleTree> tree, const AccessibleElement& element) {
    const auto alive = tree.lock();
    return alive ? reader::Make<reader::ElementAccessible>(alive->Window(), std::move(tree), &element) : nullptr;
}


}  // namespace velkora
