// What a screen reader finds in Velkora's window, through the accessibility
// interface (IAccessible) as Windows and Wine provide it. Each child window
// answers WM_GETOBJECT with the system's own object, named from the window's
// description when it has no caption. The main window's client area answers
// with an object of its own, walked as a dialog is: its children, numbered
// from 1, are the child windows a user can see, then the painted controls,
// each with an id that stays its own while the window lives (a control
// hidden for a while keeps its id and reads as invisible). Every child is an
// object of its own whose parent is that client object; each object is made
// on the first request and kept, so that a reader asking twice gets the same
// object, and nothing grows with the number of requests. Names and states
// are read when asked; navigation, hit-testing and places follow the window,
// in the one order in which the controls lie on it. A painted control's
// default action is posted to the window, so that the reader's call returns
// before anything happens (closing the program, say); a disabled window takes
// none. An object a reader holds after the window is gone answers errors.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <memory>
#include <vector>

#include "platform/text.h"

namespace velkora {

// A control without a window of its own, as a reader hears it.
class AccessibleElement {
public:
    virtual Text ReaderName() const = 0;    // read each time it is asked for
    virtual long ReaderRole() const = 0;    // ROLE_SYSTEM_*
    virtual long ReaderState() const = 0;   // its own STATE_SYSTEM_*; the window adds whether it is seen and enabled
    virtual Text ReaderAction() const = 0;  // the default action's name; empty when it has none
    virtual RECT ReaderPlace() const = 0;   // client pixels

protected:
    ~AccessibleElement() = default;
};

// The main window's client area as a reader walks it.
class AccessibleTree {
public:
    struct Child {
        HWND window = nullptr;                       // a child window, or
        const AccessibleElement* element = nullptr;  // a painted control
        bool operator==(const Child&) const = default;
    };
    virtual HWND Window() const = 0;
    // The children in reading order, child ids 1 to n, the same while the window lives.
    virtual const std::vector<Child>& Children() const = 0;
    // The kept objects: the client area's, and a painted control's. Borrowed
    // (no reference added); null when none can be made.
    virtual IAccessible* ClientObject() const = 0;
    virtual IAccessible* ElementObject(const AccessibleElement& element) const = 0;
    // The child a click at a client point reaches; none over the bare window.
    virtual Child ChildAt(POINT client) const = 0;
    // Does what a click on the element does, once the reader's call has
    // returned; false when it cannot be asked for.
    virtual bool Act(const AccessibleElement& element) const = 0;

protected:
    ~AccessibleTree() = default;
};

// One object a window answers every reader's request with: made on the
// first (by `make`, null when it cannot be) and released when this goes.
class KeptAccessible {
public:
    KeptAccessible() = default;
    KeptAccessible(const KeptAccessible&) = delete;
    KeptAccessible& operator=(const KeptAccessible&) = delete;
    ~KeptAccessible();
    template <class Make>
    IAccessible* Get(Make make) {
        if (!object_) object_ = make();
        return object_;
    }
    // The answer to WM_GETOBJECT with the object; 0 when there is none.
    LRESULT Answer(WPARAM flags) const;

private:
    IAccessible* object_ = nullptr;
};

// A child window's object: the standard object with the control's role
// (ROLE_SYSTEM_*), named `name` (its caption when empty), ticked in its state
// when a check box or option button is, and a child of `parent`'s client
// object. The client area's object. Each with one reference; null when it
// cannot be made.
IAccessible* NewControlAccessible(HWND control, long role, const Text& name, std::weak_ptr<const AccessibleTree> parent);
IAccessible* NewClientAccessible(std::weak_ptr<const AccessibleTree> tree);
IAccessible* NewElementAccessible(std::weak_ptr<const AccessibleTree> tree, const AccessibleElement& element);

}  // namespace velkora
