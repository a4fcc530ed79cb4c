#include "window/win32_accessible.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "window/win32_reader_parts.h"

namespace velkora {

namespace reader {

namespace {

BSTR ToBstr(const Text& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

}  // namespace

HRESULT AnswerText(const Text& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = ToBstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT AnswerNumber(long number, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = number;
    return S_OK;
}

HRESULT AnswerNothing(VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    return S_FALSE;
}

HRESULT AnswerPlace(const RECT& r, long* x, long* y, long* width, long* height) {
    if (!x || !y || !width || !height) return E_POINTER;
    *x = r.left;
    *y = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

namespace {

// Where a child lies on the screen.
RECT ScreenPlace(const AccessibleTree& tree, const Child& child) {
    RECT r{};
    if (child.window) {
        GetWindowRect(child.window, &r);
    } else {
        r = child.element->ReaderPlace();
        MapWindowPoints(tree.Window(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

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

// The child met going `direction` from children[from]: the next or the
// previous in the walk, or the nearest one lying wholly above, below, left
// or right of it (the nearest row or column first, then the nearest across).
std::optional<std::size_t> Step(const AccessibleTree& tree, const std::vector<Child>& children, std::size_t from,
                                long direction) {
    if (direction == NAVDIR_NEXT) return from + 1 < children.size() ? std::optional(from + 1) : std::nullopt;
    if (direction == NAVDIR_PREVIOUS) return from > 0 ? std::optional(from - 1) : std::nullopt;
    if (direction != NAVDIR_UP && direction != NAVDIR_DOWN && direction != NAVDIR_LEFT && direction != NAVDIR_RIGHT)
        return std::nullopt;
    const RECT a = ScreenPlace(tree, children[from]);
    std::optional<std::size_t> best;
    long bestGap = 0, bestAcross = 0;
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (i == from) continue;
        const RECT b = ScreenPlace(tree, children[i]);
        const bool vertical = direction == NAVDIR_UP || direction == NAVDIR_DOWN;
        const long gap = direction == NAVDIR_UP     ? a.top - b.bottom
                         : direction == NAVDIR_DOWN ? b.top - a.bottom
                         : direction == NAVDIR_LEFT ? a.left - b.right
                                                    : b.left - a.right;
        const long across = vertical ? std::labs((a.left + a.right) - (b.left + b.right))
                                     : std::labs((a.top + a.bottom) - (b.top + b.bottom));
        if (gap < 0 || (best && (gap > bestGap || (gap == bestGap && across >= bestAcross)))) continue;
        best = i;
        bestGap = gap;
        bestAcross = across;
    }
    return best;
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
        if (!tree) return inner_->get_accParent(parent);
        return AccessibleObjectFromWindow(tree->Window(), OBJID_CLIENT, __uuidof(IDispatch), reinterpret_cast<void**>(parent));
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
        return AccessibleObjectFromWindow(hwnd_, OBJID_CLIENT, __uuidof(IDispatch), reinterpret_cast<void**>(parent));
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
// control's is made for it.
HRESULT ChildObject(const Tree& tree, const Child& child, REFIID iid, void** out) {
    *out = nullptr;
    if (child.window) return AccessibleObjectFromWindow(child.window, OBJID_CLIENT, iid, out);
    ElementAccessible* object = Make<ElementAccessible>(tree->Window(), std::weak_ptr<const AccessibleTree>(tree), child.element);
    if (!object) return E_FAIL;
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

// A child as the walk hands it out: its object, or its id where none can be had.
VARIANT ChildVariant(const Tree& tree, const Child& child, long id) {
    VARIANT v;
    VariantInit(&v);
    IDispatch* object = nullptr;
    if (SUCCEEDED(ChildObject(tree, child, __uuidof(IDispatch), reinterpret_cast<void**>(&object))) && object) {
        v.vt = VT_DISPATCH;
        v.pdispVal = object;
    } else {
        v.vt = VT_I4;
        v.lVal = id;
    }
    return v;
}

HRESULT NavigateFrom(const Tree& tree, const Child& from, long direction, VARIANT* end) {
    if (!end) return E_POINTER;
    VariantInit(end);
    return Guarded([&]() -> HRESULT {
        const std::vector<Child> children = tree->Children();
        const auto it = std::find(children.begin(), children.end(), from);
        if (it == children.end()) return S_FALSE;  // not in the walk now
        const auto to = Step(*tree, children, static_cast<std::size_t>(it - children.begin()), direction);
        if (!to) return S_FALSE;
        *end = ChildVariant(tree, children[*to], static_cast<long>(*to + 1));
        return S_OK;
    });
}

}  // namespace reader

LRESULT ControlAccessibleObject(HWND control, WPARAM flags, long role, const Text& name,
                                std::weak_ptr<const AccessibleTree> parent) {
    return reader::Answer<reader::ControlAccessible>(control, flags, role, name, std::move(parent));
}

}  // namespace velkora
