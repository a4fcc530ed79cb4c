// The notification-area icon as the core sees it: its id, the events the
// shell reports on it, and Module2's routines that show and remove it.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace velkora {

inline constexpr std::uint32_t kTrayIconId = 1;

// The icon's events, by the message number the shell reports.
inline constexpr int kIconLeftUp = 514;           // WM_LBUTTONUP
inline constexpr int kIconLeftDoubleClick = 515;  // WM_LBUTTONDBLCLK
inline constexpr int kIconRightUp = 517;          // WM_RBUTTONUP: comes right before a right click's menu request
inline constexpr int kIconContextMenu = 0x007B;   // WM_CONTEXTMENU: a right click, the menu key or Shift+F10
inline constexpr int kIconSelect = 0x0400;        // NIN_SELECT: after a click, or Enter
inline constexpr int kIconKeySelect = 0x0401;     // NIN_KEYSELECT: Space or Enter

// Module2: the icon of the window hWnd with the id shows the picture hIcon
// and the tooltip; false when the shell shows none. TrayDelete is false when
// there was no icon.
bool TrayAdd(Platform& platform, Handle hWnd, std::uint32_t id, Handle hIcon, const Text& tip);
bool TrayDelete(Platform& platform, Handle hWnd, std::uint32_t id);

}  // namespace velkora
