// The notification-area icon: hiding the window behind it and restoring it.
#include "window/form1.h"
#include "window/form1_layout.h"
#include "window/tray_record.h"

namespace velkora {

namespace {

void Put(std::vector<std::uint8_t>& record, std::size_t offset, std::uint64_t value, int width) {
    for (int i = 0; i < width; ++i) record[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> Header(int pointerSize, Handle hWnd, std::uint32_t id,
                                 std::size_t size = 0) {
    const TrayRecordLayout o = TrayLayoutFor(pointerSize);
    if (size == 0) size = o.size;
    std::vector<std::uint8_t> record(size, 0);
    Put(record, 0, size, 4);
    Put(record, o.hWnd, hWnd, pointerSize);
    Put(record, o.uID, id, 4);
    return record;
}

constexpr int kPointerSize = sizeof(void*);

}  // namespace

std::vector<std::uint8_t> TrayAddRecord(int pointerSize, Handle hWnd, std::uint32_t id, Handle hIcon,
                                        const std::string& tipAnsi) {
    const TrayRecordLayout o = TrayLayoutFor(pointerSize);
    std::vector<std::uint8_t> record = Header(pointerSize, hWnd, id);
    Put(record, o.uFlags, 7, 4);
    Put(record, o.uCallbackMessage, kTrayCallbackMessage, 4);
    Put(record, o.hIcon, hIcon, pointerSize);
    const std::size_t tipLength = std::min<std::size_t>(tipAnsi.size(), 63);
    for (std::size_t i = 0; i < 64; ++i)
        record[o.szTip + i] = i < tipLength ? static_cast<std::uint8_t>(tipAnsi[i]) : i == tipLength ? 0 : 0x20;
    return record;
}

std::vector<std::uint8_t> TrayDeleteRecord(int pointerSize, Handle hWnd, std::uint32_t id) {
    return Header(pointerSize, hWnd, id);
}

std::vector<std::uint8_t> TrayVersionRecord(int pointerSize, Handle hWnd, std::uint32_t id) {
    const TrayVersionLayout v = TrayVersionLayoutFor(pointerSize);
    std::vector<std::uint8_t> record = Header(pointerSize, hWnd, id, v.size);
    Put(record, v.uVersion, kTrayVersion, 4);
    return record;
}

bool TrayAdd(Platform& platform, Handle hWnd, std::uint32_t id, Handle hIcon, const Text& tip) {
    return platform.NotifyIcon(kNimAdd, TrayAddRecord(kPointerSize, hWnd, id, hIcon, platform.ToAnsi(tip)));
}

bool TrayModify(Platform& platform, Handle hWnd, std::uint32_t id, Handle hIcon, const Text& tip) {
    return platform.NotifyIcon(kNimModify, TrayAddRecord(kPointerSize, hWnd, id, hIcon, platform.ToAnsi(tip)));
}

bool TrayDelete(Platform& platform, Handle hWnd, std::uint32_t id) {
    return platform.NotifyIcon(kNimDelete, TrayDeleteRecord(kPointerSize, hWnd, id));
}

void Form1::ShowIconOrWindow() {
    const Handle owner = picSystemTray.WindowHandle();
    const Handle icon = picSystemTrayIcon1.Picture();
    if (TrayAdd(platform_, owner, kTrayIconId, icon, kAppTitle)) {
        // Asks for the events a keyboard user needs; a shell that refuses
        // keeps to the first version, where the double-click still works.
        platform_.NotifyIcon(kNimSetVersion, TrayVersionRecord(kPointerSize, owner, kTrayIconId));
        return;
    }
    // Refused: the shell may hold the icon all the same (a shell that kept
    // its icons, an add that timed out after it was made). Then it is updated.
    if (TrayModify(platform_, owner, kTrayIconId, icon, kAppTitle)) return;
    // The icon truly cannot be shown: leave nothing half-added, and never
    // leave the user with neither a window nor an icon.
    TrayDelete(platform_, owner, kTrayIconId);
    Form.Show();
}

void Form1::Label14_Click() {
    Form.Hide();
    ShowIconOrWindow();
}

void Form1::Restore() {
    Form.Show();
    TrayDelete(platform_, picSystemTray.WindowHandle(), kTrayIconId);
}

void Form1::picSystemTray_MouseMove(int message) {
    // A double-click or the keyboard's selection brings the window back; a
    // single click does nothing, though the shell reports it as a selection
    // too, right after the button's release. Other mouse events do nothing.
    constexpr std::uint64_t kClickSelectMs = 500;
    switch (message) {
        case kIconLeftDoubleClick:
        case kIconKeySelect: Restore(); break;
        case kIconLeftUp: lastIconClick_ = platform_.TickCount(); break;
        case kIconSelect:
            if (!lastIconClick_ || platform_.TickCount() - *lastIconClick_ > kClickSelectMs) Restore();
            lastIconClick_.reset();
            break;
        case kIconContextMenu: IconMenu(); break;
        default: break;
    }
}

void Form1::IconMenu() {
    switch (platform_.ChooseFromMenu({u"Göster", u"Programı Kapat"})) {
        case 1: Restore(); break;
        case 2: Label71_Click(); break;
        default: break;
    }
}

void Form1::SecondStart() {
    // One copy per session: the running one comes forward, from the tray if
    // it is hidden, and goes on as it was.
    Restore();
}

void Form1::TaskbarCreated() {
    // A restarted taskbar may have lost the icon: put it back while hidden.
    if (!Form.Visible()) ShowIconOrWindow();
}

void Form1::Form_Unload() {
    // Whatever closes the window, no icon outlives it.
    TrayDelete(platform_, picSystemTray.WindowHandle(), kTrayIconId);
}

}  // namespace velkora
