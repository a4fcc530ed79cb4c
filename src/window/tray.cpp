// The notification-area icon: hiding the window behind it and restoring it.
#include "window/form1.h"
#include "window/form1_layout.h"
#include "window/tray.h"

namespace velkora {

bool TrayAdd(Platform& platform, Handle hWnd, std::uint32_t id, Handle hIcon, const Text& tip) {
    return platform.ShowTrayIcon(hWnd, id, hIcon, tip);
}

bool TrayDelete(Platform& platform, Handle hWnd, std::uint32_t id) { return platform.RemoveTrayIcon(hWnd, id); }

void Form1::ShowIconOrWindow() {
    // Never neither a window nor an icon: the window comes back when the
    // shell shows no icon. (Hidden first, as the shell's own programs do: a
    // menu opened on the icon at once is not closed by the window going.)
    inTray_ = true;
    if (!iconShown_) Form.Hide();
    iconShown_ = TrayAdd(platform_, picSystemTray.WindowHandle(), kTrayIconId, picSystemTrayIcon1.Picture(), kAppTitle);
    if (!iconShown_) Form.Show();
}

void Form1::Label14_Click() { ShowIconOrWindow(); }

void Form1::Restore() {
    inTray_ = false;
    iconShown_ = false;
    Form.Show();
    TrayDelete(platform_, picSystemTray.WindowHandle(), kTrayIconId);
}

void Form1::picSystemTray_MouseMove(int message, std::optional<ScreenPoint> at) {
    // A double-click or the keyboard's selection brings the window back; a
    // single click does nothing, though the shell reports it as a selection
    // too, right after the button's release. Other mouse events do nothing.
    constexpr std::uint64_t kClickSelectMs = 500;
    const bool afterRightClick = lastIconEvent_ == kIconRightUp;
    lastIconEvent_ = message;
    switch (message) {
        case kIconLeftDoubleClick:
        case kIconKeySelect: Restore(); break;
        case kIconLeftUp: lastIconClick_ = platform_.TickCount(); break;
        case kIconSelect:
            if (!lastIconClick_ || platform_.TickCount() - *lastIconClick_ > kClickSelectMs) Restore();
            lastIconClick_.reset();
            break;
        // The shell asks for the menu right after a right click's release; a
        // request on its own came from the keyboard, with the icon's anchor.
        case kIconContextMenu: IconMenu(afterRightClick ? std::nullopt : at); break;
        default: break;
    }
}

void Form1::IconMenu(std::optional<ScreenPoint> anchor) {
    switch (platform_.ChooseFromMenu({u"Göster", u"Programı Kapat"}, anchor)) {
        case 1: Restore(); break;
        case 2: Label71_Click(); break;
        default:
            // Closed from the keyboard: the keyboard goes back where it came from.
            if (anchor) platform_.FocusTrayIcon(picSystemTray.WindowHandle(), kTrayIconId);
            break;
    }
}

void Form1::SecondStart() {
    // One copy per session: the running one comes forward, from the tray if
    // it is hidden, and goes on as it was.
    Restore();
}

void Form1::TaskbarCreated() {
    // A restarted taskbar may have lost the icon, and a shell that was not
    // ready at the start had none: the icon comes while the window waits there.
    if (inTray_) ShowIconOrWindow();
}

void Form1::IconPictureChanged() {
    // The icon that is there takes the new picture; none is added for it.
    if (iconShown_) ShowIconOrWindow();
}

void Form1::Form_Unload() {
    // Whatever closes the window, no icon outlives it.
    iconShown_ = false;
    TrayDelete(platform_, picSystemTray.WindowHandle(), kTrayIconId);
}

}  // namespace velkora
