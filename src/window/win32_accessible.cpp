#include "window/win32_accessible.h"

#include <oleacc.h>
#include <oleidl.h>

#include <new>

#include "platform/win32_text.h"

namespace velkora {

namespace {

BSTR ToBstr(const Text& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

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

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

// An IAccessible that holds the system's standard object for its window and
// passes every call on to it; the classes below take over what they answer
// themselves. It answers for IUnknown, IDispatch, IAccessible and IOleWindow
// only, so that whatever a reader reaches through it is this object, never
// the standard one bare.
class DelegatingAccessible : public IAccessible, public IOleWindow {
public:
    DelegatingAccessible(IAccessible* inner, HWND hwnd) : inner_(inner), hwnd_(hwnd) {}
    DelegatingAccessible(const DelegatingAccessible&) = delete;
    DelegatingAccessible& operator=(const DelegatingAccessible&) = delete;
    virtual ~DelegatingAccessible() { inner_->Release(); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible))
            *out = static_cast<IAccessible*>(this);
        else if (riid == __uuidof(IOleWindow))
            *out = static_cast<IOleWindow*>(this);
        else
            *out = OtherInterface(riid);
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* hwnd) override {
        if (!hwnd) return E_POINTER;
        *hwnd = hwnd_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IDispatch: IAccessible's own type information, invoked on this object.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override { return inner_->GetTypeInfo(i, lcid, info); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT n, LCID lcid, DISPID* ids) override {
        return inner_->GetIDsOfNames(riid, names, n, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* badArgument) override {
        ITypeInfo* info = nullptr;
        HRESULT hr = inner_->GetTypeInfo(0, lcid, &info);
        if (FAILED(hr) || !info) return FAILED(hr) ? hr : E_NOTIMPL;
        hr = DispInvoke(static_cast<IAccessible*>(this), info, id, flags, params, result, exception, badArgument);
        info->Release();
        return hr;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return inner_->get_accParent(parent); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override { return inner_->get_accChildCount(count); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override { return inner_->get_accChild(child, out); }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override { return inner_->get_accName(child, name); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override { return inner_->get_accValue(child, value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return inner_->get_accDescription(child, text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override { return inner_->get_accRole(child, role); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override { return inner_->get_accState(child, state); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return inner_->get_accHelp(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return inner_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return inner_->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override { return inner_->get_accSelection(children); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override { return inner_->accSelect(flags, child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        return inner_->accLocation(x, y, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override { return inner_->accHitTest(x, y, child); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return inner_->accDoDefaultAction(child); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override { return inner_->put_accName(child, name); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override { return inner_->put_accValue(child, value); }

protected:
    static bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
    // A further interface a derived object implements; null for none.
    virtual void* OtherInterface(REFIID) { return nullptr; }

    IAccessible* inner_;
    HWND hwnd_;

private:
    LONG references_ = 1;
};

// A control with the role of its kind, whatever the standard object knows of
// its class, named by its description when its caption is empty.
class ControlAccessible final : public DelegatingAccessible {
public:
    ControlAccessible(IAccessible* inner, HWND hwnd, long role, Text name)
        : DelegatingAccessible(inner, hwnd), role_(role), name_(std::move(name)) {}
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

private:
    long role_;
    Text name_;
};

// The main window's client area, walked as a dialog is: child ids 1 to n,
// the child windows as their own objects, then the painted labels as simple
// elements. It is its own enumerator of them (IEnumVARIANT).
class ClientAccessible final : public DelegatingAccessible, public IEnumVARIANT {
public:
    ClientAccessible(IAccessible* inner, HWND hwnd, std::weak_ptr<const AccessibleTree> tree)
        : DelegatingAccessible(inner, hwnd), tree_(std::move(tree)) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return DelegatingAccessible::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DelegatingAccessible::Release(); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        return DelegatingAccessible::QueryInterface(riid, out);
    }

    // IEnumVARIANT: the children in order, windows as IDispatch, elements by id.
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        ULONG got = 0;
        const long count = Count();
        for (; got < wanted && cursor_ < count; ++got) out[got] = ChildVariant(++cursor_);
        if (fetched) *fetched = got;
        return got == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG n) override {
        cursor_ += static_cast<long>(n);
        if (cursor_ <= Count()) return S_OK;
        cursor_ = Count();
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        cursor_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        IAccessible* standard = nullptr;
        if (FAILED(inner_->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&standard)))) return E_FAIL;
        auto* copy = new (std::nothrow) ClientAccessible(standard, hwnd_, tree_);
        if (!copy) {
            standard->Release();
            return E_OUTOFMEMORY;
        }
        copy->cursor_ = cursor_;
        *out = copy;
        return S_OK;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = Count();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        const Child c = Find(child);
        if (c.window) return ObjectOf(c.window, out);
        if (c.element) return S_FALSE;  // a simple element: this object answers for it
        return IsSelf(child) ? E_INVALIDARG : inner_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        const Child c = Find(child);
        if (c.window) return AskWindow(c.window, [&](IAccessible* a, VARIANT self) { return a->get_accName(self, name); });
        return c.element ? AnswerText(c.element->name(), name) : inner_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        const Child c = Find(child);
        if (c.window) return AskWindow(c.window, [&](IAccessible* a, VARIANT self) { return a->get_accRole(self, role); });
        return c.element ? AnswerNumber(c.element->role, role) : inner_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const Child c = Find(child);
        if (c.window) return AskWindow(c.window, [&](IAccessible* a, VARIANT self) { return a->get_accState(self, state); });
        if (!c.element) return inner_->get_accState(child, state);
        const long role = c.element->role;
        return AnswerNumber((role == ROLE_SYSTEM_LINK ? STATE_SYSTEM_LINKED : 0) |
                                (role == ROLE_SYSTEM_STATICTEXT ? STATE_SYSTEM_READONLY : 0) |
                                (IsWindowVisible(hwnd_) ? 0 : STATE_SYSTEM_INVISIBLE),
                            state);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        const Child c = Find(child);
        if (c.window)
            return AskWindow(c.window, [&](IAccessible* a, VARIANT self) { return a->get_accDefaultAction(self, action); });
        return c.element ? AnswerText(c.element->actionName, action) : inner_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const Child c = Find(child);
        if (c.window) return AskWindow(c.window, [&](IAccessible* a, VARIANT self) { return a->accDoDefaultAction(self); });
        if (!c.element) return inner_->accDoDefaultAction(child);
        if (c.element->actionName.empty()) return DISP_E_MEMBERNOTFOUND;
        // Answered first, done after: the action may end the program.
        return PostMessageW(hwnd_, c.tree->actionMessage, c.index, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        const Child c = Find(child);
        if (!c.window && !c.element) return inner_->accLocation(x, y, width, height, child);
        if (!x || !y || !width || !height) return E_POINTER;
        RECT r{};
        if (c.window) {
            GetWindowRect(c.window, &r);
        } else {
            r = c.element->place;
            MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        }
        *x = r.left;
        *y = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        const long count = Count();
        long to = 0;
        if (IsSelf(start) && (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD)) {
            to = direction == NAVDIR_FIRSTCHILD ? 1 : count;
        } else if (start.vt == VT_I4 && start.lVal >= 1 && start.lVal <= count) {
            if (direction == NAVDIR_NEXT) to = start.lVal + 1;
            else if (direction == NAVDIR_PREVIOUS) to = start.lVal - 1;
            else return S_FALSE;  // an element has no children; no spatial steps
        } else {
            return inner_->accNavigate(direction, start, end);
        }
        if (to < 1 || to > count) return S_FALSE;
        *end = ChildVariant(to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        if (!child) return E_POINTER;
        VariantInit(child);
        const auto tree = tree_.lock();
        if (!tree) return inner_->accHitTest(x, y, child);
        POINT p{x, y};
        ScreenToClient(hwnd_, &p);
        RECT client{};
        GetClientRect(hwnd_, &client);
        if (!PtInRect(&client, p)) return S_FALSE;
        for (std::size_t i = tree->elements.size(); i-- > 0;) {  // the last drawn lies on top
            if (PtInRect(&tree->elements[i].place, p)) {
                *child = ChildVariant(tree->ElementId(i));
                return S_OK;
            }
        }
        for (std::size_t i = 0; i < tree->windows.size(); ++i) {
            RECT r{};
            GetWindowRect(tree->windows[i], &r);
            if (PtInRect(&r, POINT{x, y})) {
                *child = ChildVariant(static_cast<long>(i + 1));
                return S_OK;
            }
        }
        *child = Self();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Ask(child, text, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return Ask(child, help, &IAccessible::get_accHelp); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override { return Ask(child, value, &IAccessible::get_accValue); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Ask(child, keys, &IAccessible::get_accKeyboardShortcut);
    }

private:
    void* OtherInterface(REFIID riid) override {
        return riid == __uuidof(IEnumVARIANT) ? static_cast<IEnumVARIANT*>(this) : nullptr;
    }

    struct Child {
        HWND window = nullptr;
        const AccessibleElement* element = nullptr;
        WPARAM index = 0;  // of the element
        std::shared_ptr<const AccessibleTree> tree;  // keeps `element` alive for the call
    };
    long Count() const {
        const auto tree = tree_.lock();
        return tree ? static_cast<long>(tree->windows.size() + tree->elements.size()) : 0;
    }
    Child Find(const VARIANT& child) const {
        Child c;
        c.tree = tree_.lock();
        if (!c.tree || child.vt != VT_I4 || child.lVal < 1) return c;
        auto i = static_cast<std::size_t>(child.lVal - 1);
        if (i < c.tree->windows.size()) {
            c.window = c.tree->windows[i];
        } else if ((i -= c.tree->windows.size()) < c.tree->elements.size()) {
            c.element = &c.tree->elements[i];
            c.index = i;
        }
        return c;
    }
    static HRESULT ObjectOf(HWND window, IDispatch** out) {
        return AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IDispatch), reinterpret_cast<void**>(out));
    }
    VARIANT ChildVariant(long id) const {
        VARIANT v;
        VariantInit(&v);
        const auto tree = tree_.lock();
        IDispatch* object = nullptr;
        if (tree && id >= 1 && static_cast<std::size_t>(id) <= tree->windows.size() &&
            SUCCEEDED(ObjectOf(tree->windows[static_cast<std::size_t>(id - 1)], &object)) && object) {
            v.vt = VT_DISPATCH;
            v.pdispVal = object;
        } else {
            v.vt = VT_I4;
            v.lVal = id;
        }
        return v;
    }
    // Asks a child window's own object about itself.
    template <class Question>
    static HRESULT AskWindow(HWND window, Question question) {
        IAccessible* object = nullptr;
        HRESULT hr = AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&object));
        if (FAILED(hr) || !object) return FAILED(hr) ? hr : E_FAIL;
        hr = question(object, Self());
        object->Release();
        return hr;
    }
    // An element has no description, help, value or shortcut.
    HRESULT Ask(const VARIANT& child, BSTR* out, HRESULT (STDMETHODCALLTYPE IAccessible::*question)(VARIANT, BSTR*)) {
        const Child c = Find(child);
        if (c.window) return AskWindow(c.window, [&](IAccessible* a, VARIANT self) { return (a->*question)(self, out); });
        return c.element ? AnswerText(Text(), out) : (inner_->*question)(child, out);
    }

    std::weak_ptr<const AccessibleTree> tree_;
    long cursor_ = 0;
};

template <class Object, class... Args>
LRESULT Answer(HWND hwnd, WPARAM flags, Args&&... args) {
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* object = new (std::nothrow) Object(standard, hwnd, std::forward<Args>(args)...);  // takes the standard object's reference
    if (!object) {
        standard->Release();
        return 0;
    }
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), flags, static_cast<IAccessible*>(object));
    object->Release();  // the result holds its own reference
    return result < 0 ? 0 : result;
}

}  // namespace

LRESULT ControlAccessibleObject(HWND control, WPARAM flags, long role, const Text& name) {
    return Answer<ControlAccessible>(control, flags, role, name);
}

LRESULT ClientAccessibleObject(WPARAM flags, const std::shared_ptr<const AccessibleTree>& tree) {
    return tree ? Answer<ClientAccessible>(tree->window, flags, std::weak_ptr<const AccessibleTree>(tree)) : 0;
}

}  // namespace velkora
