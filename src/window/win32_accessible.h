// What a screen reader finds in Velkora's window, through the accessibility
// interface (IAccessible) as Windows and Wine provide it: the system's own
// object for each window, answered to WM_GETOBJECT with two additions. A
// control without a caption of its own gets its name; the window's client
// area lists its windowless labels, the acting ones with a default action.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "platform/text.h"

namespace velkora {

// The answer to WM_GETOBJECT(OBJID_CLIENT) for a control: the standard
// object named `name`. 0 when no object can be made (the system's own answer
// stands then).
LRESULT NamedAccessibleObject(HWND control, WPARAM flags, const Text& name);

// A windowless element of the client area.
struct AccessibleElement {
    Text name;
    long role;                     // ROLE_SYSTEM_PUSHBUTTON, _LINK or _STATICTEXT
    RECT place;                    // client pixels
    Text actionName;               // empty when it does nothing
    std::function<void()> action;  // what a click does
};

// The answer to WM_GETOBJECT(OBJID_CLIENT) for the main window: its standard
// client object, its child windows as the system lists them, then these
// elements. 0 when no object can be made.
LRESULT ClientAccessibleObject(HWND window, WPARAM flags, std::vector<AccessibleElement> elements);

}  // namespace velkora
