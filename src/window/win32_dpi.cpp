#include "window/win32_dpi.h"

#include <algorithm>

namespace velkora {

namespace {

// A function of a system library that older systems (or import libraries)
// lack; null there.
template <class Function>
Function Find(const wchar_t* library, const char* name) {
    HMODULE module = GetModuleHandleW(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

int SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int DpiOfWindow(HWND window) {
    static const auto dpiForWindow = Find<UINT(WINAPI*)(HWND)>(L"user32.dll", "GetDpiForWindow");
    const int dpi = dpiForWindow ? static_cast<int>(dpiForWindow(window)) : 0;
    return dpi > 0 ? dpi : SystemDpi();
}

int MetricAt(int index, int dpi) {
    static const auto metricForDpi = Find<int(WINAPI*)(int, UINT)>(L"user32.dll", "GetSystemMetricsForDpi");
    return metricForDpi ? metricForDpi(index, static_cast<UINT>(dpi)) : MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

UniqueIcon IconAt(HINSTANCE instance, int id, int metricX, int metricY, int dpi) {
    // The common controls of the manifest's version have it (Windows Vista on).
    static const auto scaleDown =
        Find<HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*)>(L"comctl32.dll", "LoadIconWithScaleDown");
    const int cx = MetricAt(metricX, dpi), cy = MetricAt(metricY, dpi);
    HICON icon = nullptr;
    if (!scaleDown || FAILED(scaleDown(instance, MAKEINTRESOURCEW(id), cx, cy, &icon)))
        icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
    return UniqueIcon(icon);
}

std::optional<RECT> SuggestedRect(LPARAM lParam) {
    RECT r{};
    SIZE_T read = 0;
    if (!lParam || !ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(lParam), &r, sizeof r, &read) ||
        read != sizeof r)
        return std::nullopt;
    return r;
}

RECT OnWorkArea(RECT r) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return r;
    const RECT& work = monitor.rcWork;
    const LONG width = r.right - r.left, height = r.bottom - r.top;
    const LONG left = width <= work.right - work.left ? std::clamp(r.left, work.left, work.right - width) : work.right - width;
    const LONG top = height <= work.bottom - work.top ? std::clamp(r.top, work.top, work.bottom - height) : work.top;
    return RECT{left, top, left + width, top + height};
}

}  // namespace velkora
