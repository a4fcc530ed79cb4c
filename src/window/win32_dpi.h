// The DPI a window is shown at and what is drawn for it: Windows 10 gives
// each monitor its own DPI (GetDpiForWindow, GetSystemMetricsForDpi); older
// Windows and Wine have one DPI for the whole screen, the system's. Where
// the per-monitor calls are missing, the system's DPI stands in.
#pragma once

#include <windows.h>

#include "window/win32_paint.h"

namespace velkora {

int SystemDpi();
int DpiOfWindow(HWND window);
// A system metric (SM_CXICON, ...) at `dpi`.
int MetricAt(int index, int dpi);
// The icon resource `id` drawn for `dpi` at the size the two metrics give,
// scaled down from a larger image where it has none of that size.
UniqueIcon IconAt(HINSTANCE instance, int id, int metricX, int metricY, int dpi);

}  // namespace velkora
