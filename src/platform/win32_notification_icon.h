// The program's icon in the notification area, kept the way the shell's own
// documentation keeps one: a NOTIFYICONDATAW of the current size that names
// the icon (owner window and id) and says what it shows, and the requests
// made with it: add, bring up to date, delete, ask for version 4's events,
// hand the keyboard back to the notification area.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>

#include "platform/platform.h"

namespace velkora {

class NotificationIcon {
public:
    // How the shell is asked: Shell_NotifyIconW, or a stand-in in the tests.
    using Shell = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
    // Each event on the icon reaches the owner window as this message.
    static constexpr UINT kCallbackMessage = WM_MOUSEMOVE;

    explicit NotificationIcon(Shell shell = Shell_NotifyIconW) : shell_(shell) {}
    NotificationIcon(const NotificationIcon&) = delete;
    NotificationIcon& operator=(const NotificationIcon&) = delete;

    // Shows the icon with the picture and the tooltip, and asks for version
    // 4. Where the shell holds the icon already (a shell that kept its icons
    // through a restart, an add that timed out after it was made) it is
    // brought up to date; after the taskbar was made anew (TaskbarCreated)
    // it is added to the new one. False when the shell shows no icon: then
    // nothing is left half-added.
    bool Show(HWND owner, UINT id, HICON picture, const Text& tip);
    // False when the shell had no such icon.
    bool Remove(HWND owner, UINT id);
    // After a menu the keyboard opened on the icon closes without a choice.
    void ReturnFocus(HWND owner, UINT id);

    // An event of the icon as the callback message carries it: the event's
    // own message number, and at version 4 the point it belongs to, in
    // screen pixels (the pointer's, or for the keyboard the icon's anchor).
    struct Event {
        int message;
        std::optional<ScreenPoint> at;
    };
    static Event Decode(WPARAM wParam, LPARAM lParam);

private:
    void Name(HWND owner, UINT id);  // a fresh record naming the icon, all else zero
    bool Ask(DWORD message) { return shell_(message, &data_) != FALSE; }

    Shell shell_;
    NOTIFYICONDATAW data_{};
};

}  // namespace velkora
