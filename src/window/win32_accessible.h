// What a screen reader finds in Velkora's window, through the accessibility
// interface (IAccessible) as Windows and Wine provide it. Each control
// answers WM_GETOBJECT with the system's own object, named from the window's
// description when it has no caption. The main window's client area answers
// with an object of its own that a reader walks as it walks any dialog: its
// children are the child windows a user can see, each as that window's own
// object, then the painted labels as simple elements. Names are read when
// asked; enumeration, navigation, hit-testing and locations cover both kinds;
// a default action is posted to the window, so that the reader's call returns
// before anything happens (closing the program, say).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/text.h"

namespace velkora {

// The answer to WM_GETOBJECT(OBJID_CLIENT) for a control: the standard
// object with the control's role (ROLE_SYSTEM_*), named `name` (its caption
// when empty), and ticked in its state when a check box or option button is.
// 0 when no object can be made (the system's own answer stands then).
LRESULT ControlAccessibleObject(HWND control, WPARAM flags, long role, const Text& name);

// A painted label as a reader sees it.
struct AccessibleElement {
    std::function<Text()> name;  // read each time it is asked for
    long role;                   // ROLE_SYSTEM_PUSHBUTTON, _LINK or _STATICTEXT
    RECT place;                  // client pixels
    Text actionName;             // empty when it does nothing
};

// The client area's children. Child ids run from 1: first `windows`, then
// `elements`. The main window owns it; an object a reader holds sees it go
// with the window.
struct AccessibleTree {
    HWND window = nullptr;
    UINT actionMessage = 0;  // posted to `window` with the element's index as wParam
    std::vector<HWND> windows;
    std::vector<AccessibleElement> elements;

    long ElementId(std::size_t index) const { return static_cast<long>(windows.size() + 1 + index); }
};

// The answer to WM_GETOBJECT(OBJID_CLIENT) for the main window. 0 when no
// object can be made.
LRESULT ClientAccessibleObject(WPARAM flags, const std::shared_ptr<const AccessibleTree>& tree);

}  // namespace velkora
