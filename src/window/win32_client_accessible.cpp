#include "window/win32_accessible.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "window/win32_reader_parts.h"

namespace velkora {

namespace reader {

namespace {

// The main window's client area, walked as a dialog is: child ids 1 to n, as
// the tree has them when asked, each child an object of its own. A question
// about a child is asked of that child's object; about the client itself, of
// the standard object. It is its own enumerator of its children (IEnumVARIANT).
class ClientAccessible final : public DelegatingAccessible, public IEnumVARIANT {
public:
    ClientAccessible(IAccessible* inner, HWND hwnd, std::weak_ptr<const AccessibleTree> tree)
        : DelegatingAccessible(inner, hwnd), tree_(std::move(tree)) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return DelegatingAccessible::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DelegatingAccessible::Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        return DelegatingAccessible::QueryInterface(riid, out);
    }

    // IEnumVARIANT: the children in order, as objects. A null count is taken
    // for one item only; skipping past the end stops at the end.
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out || (wanted > 1 && !fetched)) return E_INVALIDARG;
        return Guarded([&]() -> HRESULT {
            for (ULONG i = 0; i < wanted; ++i) VariantInit(&out[i]);
            const Tree tree = tree_.lock();
            const std::vector<Child> children = tree ? tree->Children() : std::vector<Child>();
            ULONG got = 0;
            for (; got < wanted && cursor_ < children.size(); ++got, ++cursor_)
                out[got] = ChildVariant(tree, children[cursor_], static_cast<long>(cursor_ + 1));
            if (fetched) *fetched = got;
            return got == wanted ? S_OK : S_FALSE;
        });
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        return Guarded([&]() -> HRESULT {
            const ULONG total = Count();
            const ULONG left = cursor_ < total ? total - cursor_ : 0;
            if (count > left) {
                cursor_ = total;
                return S_FALSE;
            }
            cursor_ += count;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        cursor_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        ClientAccessible* copy = Make<ClientAccessible>(hwnd_, tree_);
        if (!copy) return E_OUTOFMEMORY;
        copy->cursor_ = cursor_;
        *out = copy;
        return S_OK;
    }

    // IAccessible: the children.
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        return Guarded([&] {
            *count = static_cast<long>(Count());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Guarded([&]() -> HRESULT {
            const Found f = Find(child);
            return f.child ? ChildObject(f.tree, *f.child, __uuidof(IDispatch), reinterpret_cast<void**>(out)) : E_INVALIDARG;
        });
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        const bool toChild = direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD;
        return Guarded([&]() -> HRESULT {
            const Found f = Find(start);
            if (f.self && !toChild) return inner_->accNavigate(direction, start, end);
            if (!f.self && (!f.child || toChild)) return E_INVALIDARG;
            if (!f.self) return NavigateFrom(f.tree, *f.child, direction, end);
            const std::vector<Child> children = f.tree ? f.tree->Children() : std::vector<Child>();
            if (children.empty()) return S_FALSE;
            const std::size_t i = direction == NAVDIR_FIRSTCHILD ? 0 : children.size() - 1;
            *end = ChildVariant(f.tree, children[i], static_cast<long>(i + 1));
            return S_OK;
        });
    }
    // What a click at the point would reach: the child on top there.
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        if (!child) return E_POINTER;
        VariantInit(child);
        return Guarded([&]() -> HRESULT {
            const Tree tree = tree_.lock();
            if (!tree) return inner_->accHitTest(x, y, child);
            POINT p{x, y};
            ScreenToClient(hwnd_, &p);
            RECT client{};
            GetClientRect(hwnd_, &client);
            if (!PtInRect(&client, p)) return S_FALSE;
            const Child at = tree->ChildAt(p);
            if (at == Child{}) return AnswerNumber(CHILDID_SELF, child);
            *child = ChildVariant(tree, at, IdOf(*tree, at));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        return Guarded([&]() -> HRESULT {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd_, nullptr), &info) || !info.hwndFocus) return S_FALSE;
            if (info.hwndFocus == hwnd_) return AnswerNumber(CHILDID_SELF, focus);
            const Tree tree = tree_.lock();
            if (!tree) return S_FALSE;
            for (const Child& c : tree->Children()) {
                if (!c.window || (c.window != info.hwndFocus && !IsChild(c.window, info.hwndFocus))) continue;
                *focus = ChildVariant(tree, c, IdOf(*tree, c));
                return S_OK;
            }
            return S_FALSE;
        });
    }
    // None of its children is selected as a list's items are.
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override { return AnswerNothing(selection); }

    // IAccessible: everything asked about one child.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accName(c, name); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accValue(c, value); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accDescription(c, text); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accRole(c, role); });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accState(c, state); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accHelp(c, help); });
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accHelpTopic(file, c, topic); });
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accKeyboardShortcut(c, keys); });
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->get_accDefaultAction(c, action); });
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->accSelect(flags, c); });
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->accLocation(x, y, width, height, c); });
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->accDoDefaultAction(c); });
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->put_accName(c, name); });
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return Ask(child, [&](IAccessible* a, VARIANT c) { return a->put_accValue(c, value); });
    }

private:
    void* OtherInterface(REFIID riid) override {
        return riid == __uuidof(IEnumVARIANT) ? static_cast<IEnumVARIANT*>(this) : nullptr;
    }

    struct Found {
        Tree tree;  // keeps the child alive for the call
        bool self = false;
        std::optional<Child> child;  // none: no such child
    };
    Found Find(const VARIANT& id) const {
        Found f;
        f.tree = tree_.lock();
        f.self = IsSelf(id);
        if (!f.tree || f.self || id.vt != VT_I4 || id.lVal < 1) return f;
        const std::vector<Child>& children = f.tree->Children();
        if (static_cast<unsigned long>(id.lVal) <= children.size()) f.child = children[static_cast<std::size_t>(id.lVal - 1)];
        return f;
    }
    ULONG Count() const {
        const Tree tree = tree_.lock();
        return tree ? static_cast<ULONG>(tree->Children().size()) : 0;
    }
    static long IdOf(const AccessibleTree& tree, const Child& child) {
        const std::vector<Child>& children = tree.Children();
        return static_cast<long>(std::find(children.begin(), children.end(), child) - children.begin() + 1);
    }
    // Asks the child's own object about itself, or the standard object about the client.
    template <class Question>
    HRESULT Ask(const VARIANT& child, Question question) {
        return Guarded([&]() -> HRESULT {
            const Found f = Find(child);
            if (f.self) return question(inner_, child);
            if (!f.child) return E_INVALIDARG;
            IAccessible* object = nullptr;
            HRESULT hr = ChildObject(f.tree, *f.child, __uuidof(IAccessible), reinterpret_cast<void**>(&object));
            if (FAILED(hr) || !object) return FAILED(hr) ? hr : E_FAIL;
            hr = question(object, Self());
            object->Release();
            return hr;
        });
    }

    std::weak_ptr<const AccessibleTree> tree_;
    ULONG cursor_ = 0;
};

}  // namespace

}  // namespace reader

IAccessible* NewClientAccessible(std::weak_ptr<const AccessibleTree> tree) {
    const auto alive = tree.lock();
    return alive ? reader::Make<reader::ClientAccessible>(alive->Window(), std::move(tree)) : nullptr;
}

}  // namespace velkora
