#include "window/win32_accessible.h"

#include <oleacc.h>

#include "platform/win32_text.h"

namespace velkora {

namespace {

BSTR ToBstr(const Text& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

// The system's standard object for a window, with every call passed on to
// it; the classes below take over the calls they answer themselves.
class DelegatingAccessible : public IAccessible {
public:
    explicit DelegatingAccessible(IAccessible* inner) : inner_(inner) {}
    DelegatingAccessible(const DelegatingAccessible&) = delete;
    DelegatingAccessible& operator=(const DelegatingAccessible&) = delete;
    virtual ~DelegatingAccessible() { inner_->Release(); }

    // IUnknown: this object is the IAccessible; other interfaces (IOleWindow,
    // IEnumVARIANT, ...) are the standard object's.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return inner_->QueryInterface(riid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references_); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override { return inner_->GetTypeInfo(i, lcid, info); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT n, LCID lcid, DISPID* ids) override {
        return inner_->GetIDsOfNames(riid, names, n, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* badArgument) override {
        return inner_->Invoke(id, riid, lcid, flags, params, result, exception, badArgument);
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
    IAccessible* inner_;

private:
    LONG references_ = 1;
};

// A control named by its description rather than by its (empty) caption.
class NamedAccessible final : public DelegatingAccessible {
public:
    NamedAccessible(IAccessible* inner, Text name) : DelegatingAccessible(inner), name_(std::move(name)) {}
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return inner_->get_accName(child, name);
        if (!name) return E_POINTER;
        *name = ToBstr(name_);
        return *name ? S_OK : E_OUTOFMEMORY;
    }

private:
    Text name_;
};

// The main window's client area: its child windows as the standard object
// lists them, then the windowless elements as simple children numbered after
// them. It offers no enumerator of its own, so that a reader asks for the
// children one by one and meets the elements too.
class ClientAccessible final : public DelegatingAccessible {
public:
    ClientAccessible(IAccessible* inner, HWND window, std::vector<AccessibleElement> elements)
        : DelegatingAccessible(inner), window_(window), elements_(std::move(elements)) {
        if (FAILED(inner_->get_accChildCount(&windows_))) windows_ = 0;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == __uuidof(IEnumVARIANT)) {
            if (out) *out = nullptr;
            return E_NOINTERFACE;
        }
        return DelegatingAccessible::QueryInterface(riid, out);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = windows_ + static_cast<long>(elements_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!Element(child)) return inner_->get_accChild(child, out);
        if (!out) return E_POINTER;
        *out = nullptr;
        return S_FALSE;  // a simple element, answered by this object
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        const AccessibleElement* e = Element(child);
        return e ? Answer(e->name, name) : inner_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        const AccessibleElement* e = Element(child);
        if (!e) return inner_->get_accRole(child, role);
        if (!role) return E_POINTER;
        role->vt = VT_I4;
        role->lVal = e->role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        const AccessibleElement* e = Element(child);
        if (!e) return inner_->get_accState(child, state);
        if (!state) return E_POINTER;
        state->vt = VT_I4;
        state->lVal = (e->role == ROLE_SYSTEM_LINK ? STATE_SYSTEM_LINKED : 0) |
                      (e->role == ROLE_SYSTEM_STATICTEXT ? STATE_SYSTEM_READONLY : 0) |
                      (IsWindowVisible(window_) ? 0 : STATE_SYSTEM_INVISIBLE);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        const AccessibleElement* e = Element(child);
        return e ? Answer(e->actionName, action) : inner_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        const AccessibleElement* e = Element(child);
        if (!e) return inner_->accDoDefaultAction(child);
        if (!e->action) return DISP_E_MEMBERNOTFOUND;
        if (!IsWindow(window_)) return E_FAIL;
        e->action();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
        const AccessibleElement* e = Element(child);
        if (!e) return inner_->accLocation(x, y, width, height, child);
        if (!x || !y || !width || !height) return E_POINTER;
        POINT origin{e->place.left, e->place.top};
        ClientToScreen(window_, &origin);
        *x = origin.x;
        *y = origin.y;
        *width = e->place.right - e->place.left;
        *height = e->place.bottom - e->place.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        POINT p{x, y};
        ScreenToClient(window_, &p);
        for (std::size_t i = elements_.size(); i-- > 0;) {  // the last drawn lies on top
            if (!PtInRect(&elements_[i].place, p)) continue;
            if (!child) return E_POINTER;
            child->vt = VT_I4;
            child->lVal = windows_ + 1 + static_cast<long>(i);
            return S_OK;
        }
        return inner_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return Nothing(child, text, &IAccessible::get_accDescription); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return Nothing(child, help, &IAccessible::get_accHelp); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override { return Nothing(child, value, &IAccessible::get_accValue); }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Nothing(child, keys, &IAccessible::get_accKeyboardShortcut);
    }

private:
    const AccessibleElement* Element(const VARIANT& child) const {
        if (child.vt != VT_I4 || child.lVal <= windows_) return nullptr;
        const auto i = static_cast<std::size_t>(child.lVal - windows_ - 1);
        return i < elements_.size() ? &elements_[i] : nullptr;
    }
    static HRESULT Answer(const Text& text, BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (text.empty()) return S_FALSE;
        *out = ToBstr(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    // An element has no description, help, value or shortcut.
    HRESULT Nothing(const VARIANT& child, BSTR* out, HRESULT (STDMETHODCALLTYPE IAccessible::*pass)(VARIANT, BSTR*)) {
        if (!Element(child)) return (inner_->*pass)(child, out);
        return Answer(Text(), out);
    }

    HWND window_;
    std::vector<AccessibleElement> elements_;
    long windows_ = 0;
};

template <class Object, class... Args>
LRESULT Answer(HWND hwnd, WPARAM flags, Args&&... args) {
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))) ||
        !standard)
        return 0;
    auto* object = new Object(standard, std::forward<Args>(args)...);  // takes the standard object's reference
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), flags, object);
    object->Release();  // the result holds its own reference
    return result < 0 ? 0 : result;
}

}  // namespace

LRESULT NamedAccessibleObject(HWND control, WPARAM flags, const Text& name) {
    return name.empty() ? 0 : Answer<NamedAccessible>(control, flags, name);
}

LRESULT ClientAccessibleObject(HWND window, WPARAM flags, std::vector<AccessibleElement> elements) {
    return Answer<ClientAccessible>(window, flags, window, std::move(elements));
}

}  // namespace velkora
