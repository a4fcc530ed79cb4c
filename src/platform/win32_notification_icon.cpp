#include "platform/win32_notification_icon.h"

#include <windowsx.h>

#include <algorithm>

namespace velkora {

void NotificationIcon::Name(HWND owner, UINT id) {
    data_ = NOTIFYICONDATAW{};
    data_.cbSize = sizeof data_;
    data_.hWnd = owner;
    data_.uID = id;
}

bool NotificationIcon::Show(HWND owner, UINT id, HICON picture, const Text& tip) {
    Name(owner, id);
    // At version 4 the shell shows the standard tooltip only when asked to.
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data_.uCallbackMessage = kCallbackMessage;
    data_.hIcon = picture;
    const Text shown = WholeCharacters(TextView(tip).substr(0, std::size(data_.szTip) - 1));
    std::copy(shown.begin(), shown.end(), data_.szTip);
    if (!Ask(NIM_ADD) && !Ask(NIM_MODIFY)) {
        Remove(owner, id);
        return false;
    }
    // Version 4: keyboard selection (NIN_KEYSELECT), the menu key with the
    // icon's anchor point (WM_CONTEXTMENU), and the event's point with every
    // event. A shell that refuses keeps to the first version, where the
    // double-click still works.
    data_.uVersion = NOTIFYICON_VERSION_4;
    Ask(NIM_SETVERSION);
    return true;
}

bool NotificationIcon::Remove(HWND owner, UINT id) {
    Name(owner, id);
    return Ask(NIM_DELETE);
}

void NotificationIcon::ReturnFocus(HWND owner, UINT id) {
    Name(owner, id);
    Ask(NIM_SETFOCUS);
}

// At version 4 the low word of lParam is the event and the high word the
// icon's id, never 0 here; wParam holds the point. The first version puts
// the whole event in lParam and the id in wParam.
NotificationIcon::Event NotificationIcon::Decode(WPARAM wParam, LPARAM lParam) {
    Event event{LOWORD(lParam), std::nullopt};
    if (HIWORD(lParam) != 0)
        event.at = ScreenPoint{GET_X_LPARAM(static_cast<LPARAM>(wParam)), GET_Y_LPARAM(static_cast<LPARAM>(wParam))};
    return event;
}

}  // namespace velkora
