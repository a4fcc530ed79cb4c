// The notification-area record that Velkora hands the shell: NOTIFYICONDATAA
// in its first, smallest size. Numbers are little-endian.
//
//   32-bit build, 88 bytes            64-bit build, 104 bytes
//   offset size field                 offset size field
//     0     4  cbSize (88)              0     4  cbSize (104), then 4 bytes padding
//     4     4  hWnd                     8     8  hWnd
//     8     4  uID                     16     4  uID
//    12     4  uFlags                  20     4  uFlags
//    16     4  uCallbackMessage        24     4  uCallbackMessage, then 4 bytes padding
//    20     4  hIcon                   32     8  hIcon
//    24    64  szTip                   40    64  szTip
//
// Add (NIM_ADD, 0) and modify (NIM_MODIFY, 1): uFlags 7 (NIF_MESSAGE | NIF_ICON | NIF_TIP), callback
// message 512 (WM_MOUSEMOVE), the icon, and the tooltip in the system's 8-bit
// code page, at most 63 bytes, then one NUL byte, then blanks (0x20) up to the
// 64th byte. Delete (NIM_DELETE, 2): only cbSize, hWnd and uID; every other
// byte is zero.
//
// Version (NIM_SETVERSION, 4): the record in its second size, which has the
// uVersion field, 488 bytes (32-bit) or 504 (64-bit); cbSize, hWnd, uID as
// above and uVersion 4 at offset 416 (432), every other byte zero. With it the
// shell reports keyboard selection of the icon (NIN_SELECT, NIN_KEYSELECT)
// and the context menu key or right click (WM_CONTEXTMENU), and puts the
// event in the low word of the callback's lParam (the icon id in the high
// word), where the first version had the whole event.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace velkora {

// Where each field lies, for a pointer size of 4 (the 32-bit record) or 8.
struct TrayRecordLayout {
    std::size_t size, hWnd, uID, uFlags, uCallbackMessage, hIcon, szTip;
};
inline constexpr TrayRecordLayout TrayLayoutFor(int pointerSize) {
    return pointerSize == 8 ? TrayRecordLayout{104, 8, 16, 20, 24, 32, 40} : TrayRecordLayout{88, 4, 8, 12, 16, 20, 24};
}

// The second size, with uVersion.
struct TrayVersionLayout {
    std::size_t size, uVersion;
};
inline constexpr TrayVersionLayout TrayVersionLayoutFor(int pointerSize) {
    return pointerSize == 8 ? TrayVersionLayout{504, 432} : TrayVersionLayout{488, 416};
}

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimModify = 1;
inline constexpr std::uint32_t kNimDelete = 2;
inline constexpr std::uint32_t kNimSetVersion = 4;
inline constexpr std::uint32_t kTrayVersion = 4;

// The icon's events, as the callback's low word carries them.
inline constexpr int kIconContextMenu = 0x007B;  // WM_CONTEXTMENU
inline constexpr int kIconLeftUp = 514;          // WM_LBUTTONUP
inline constexpr int kIconLeftDoubleClick = 515;  // WM_LBUTTONDBLCLK
inline constexpr int kIconSelect = 0x0400;       // NIN_SELECT: after a click, or Enter
inline constexpr int kIconKeySelect = 0x0401;    // NIN_KEYSELECT: Space or Enter
inline constexpr std::uint32_t kTrayCallbackMessage = 512;  // WM_MOUSEMOVE
inline constexpr std::uint32_t kTrayIconId = 1;

// pointerSize is 4 for the 32-bit record and 8 for the 64-bit one.
std::vector<std::uint8_t> TrayAddRecord(int pointerSize, Handle hWnd, std::uint32_t id, Handle hIcon,
                                        const std::string& tipAnsi);
std::vector<std::uint8_t> TrayDeleteRecord(int pointerSize, Handle hWnd, std::uint32_t id);
std::vector<std::uint8_t> TrayVersionRecord(int pointerSize, Handle hWnd, std::uint32_t id);

// Module2: each fills a fresh record for this build and passes it to the shell.
bool TrayAdd(Platform& platform, Handle hWnd, std::uint32_t id, Handle hIcon, const Text& tip);
bool TrayModify(Platform& platform, Handle hWnd, std::uint32_t id, Handle hIcon, const Text& tip);
bool TrayDelete(Platform& platform, Handle hWnd, std::uint32_t id);

}  // namespace velkora
