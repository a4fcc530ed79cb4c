// The DPI a window is shown at and what is drawn for it: Windows 10 gives
// each monitor its own DPI (GetDpiForWindow, GetSystemMetricsForDpi); older
// Windows and Wine have one DPI for the whole screen, the system's. Where
// the per-monitor calls are missing, the system's DPI stands in.
#pragma once

#include <windows.h>

#include <optional>

#include "window/win32_paint.h"

namespace velkora {

// The DPIs a monitor can have: Windows scales from 100 % to 500 %.
inline constexpr int kLeastDpi = 96, kMostDpi = 480;

int SystemDpi();
int DpiOfWindow(HWND window);
// A system metric (SM_CXICON, ...) at `dpi`.
int MetricAt(int index, int dpi);
// The icon resource `id` drawn for `dpi` at the size the two metrics give,
// scaled down from a larger image where it has none of that size.
UniqueIcon IconAt(HINSTANCE instance, int id, int metricX, int metricY, int dpi);

// The rectangle WM_DPICHANGED's lParam points at, read as data: none where
// it points nowhere this process can read (any process can send the message).
std::optional<RECT> SuggestedRect(LPARAM lParam);
// `r` moved onto the work area of the monitor nearest it: whole where it
// fits, else its top edge and its top-right corner (the banner and "X").
RECT OnWorkArea(RECT r);

}  // namespace velkora
