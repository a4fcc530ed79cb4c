// The parts the screen reader's objects (win32_accessible.h) are made of:
// answers in the forms IAccessible takes, the children of the window's
// client area as objects, and an object that passes every call on to the
// system's standard object for its window, for the objects to take over
// what they answer themselves. Made in win32_reader_parts.cpp; used by
// win32_accessible.cpp (the children's objects) and
// win32_client_accessible.cpp (the client area's).
#pragma once

#include <windows.h>
#include <oleacc.h>
#include <oleidl.h>

#include <memory>
#include <new>

#include "window/win32_accessible.h"

namespace velkora::reader {

using Child = AccessibleTree::Child;
using Tree = std::shared_ptr<const AccessibleTree>;

HRESULT AnswerText(const Text& text, BSTR* out);  // S_FALSE and null for no text
HRESULT AnswerNumber(long number, VARIANT* out);
HRESULT AnswerNothing(VARIANT* out);  // S_FALSE and VT_EMPTY
HRESULT AnswerPlace(const RECT& screen, long* x, long* y, long* width, long* height);
VARIANT Self();
bool IsSelf(const VARIANT& child);
// Where a child lies on the screen.
RECT ScreenPlace(const AccessibleTree& tree, const Child& child);

// Runs an answer that may need memory: none to be had is said, not thrown
// through the caller (a window procedure of COM's).
template <class Answer>
HRESULT Guarded(Answer answer) noexcept {
    try {
        return answer();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// A child's own object: a child window's is the one the window answers
// with, a painted control's the one the tree keeps for it.
HRESULT ChildObject(const Tree& tree, const Child& child, REFIID iid, void** out);
// A child as a walk hands it out: its object, or its id where none can be had.
VARIANT ChildVariant(const Tree& tree, const Child& child, long id);
// From a child to its neighbour in the walk (next, previous) or on the
// screen (up, down, left, right); S_FALSE when there is none.
HRESULT NavigateFrom(const Tree& tree, const Child& from, long direction, VARIANT* end);

// An IAccessible that holds the system's standard object for its window and
// passes every call on to it; each object takes over what it answers
// itself. It answers for IUnknown, IDispatch, IAccessible and IOleWindow
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
    // A further interface a derived object implements; null for none.
    virtual void* OtherInterface(REFIID) { return nullptr; }

    IAccessible* inner_;
    HWND hwnd_;

private:
    LONG references_ = 1;
};

// Makes `Object` around the system's standard object for the window; null
// when either cannot be made.
template <class Object, class... Args>
Object* Make(HWND hwnd, Args&&... args) {
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))) ||
        !standard)
        return nullptr;
    auto* object = new (std::nothrow) Object(standard, hwnd, std::forward<Args>(args)...);  // takes the standard object's reference
    if (!object) standard->Release();
    return object;
}

}  // namespace velkora::reader
