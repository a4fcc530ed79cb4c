// The floors for the footprint benchmark. floor.exe is the least a Win32
// program of Velkora's kind does: one window of its size, one timer ticking
// every second and doing nothing, a message loop. floor_parts.exe (built with
// FLOOR_WITH_PARTS) also loads and uses the system parts Velkora needs: the
// version 6 common controls of its manifest with one tooltip, COM and OLE,
// and one JPEG drawn through OleLoadPicture.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#ifdef FLOOR_WITH_PARTS
#include "window/win32_paint.h"
constexpr wchar_t kClass[] = L"VelkoraFloorParts";
velkora::UniqueGdi<HBITMAP> g_picture;
#else
constexpr wchar_t kClass[] = L"VelkoraFloor";
#endif

LRESULT CALLBACK FloorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER: return 0;
#ifdef FLOOR_WITH_PARTS
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, g_picture.get());
            BitBlt(dc, 0, 0, 594, 33, source, 0, 0, SRCCOPY);
            SelectObject(source, old);
            DeleteDC(source);
            EndPaint(hwnd, &ps);
            return 0;
        }
#endif
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
#ifdef FLOOR_WITH_PARTS
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    g_picture = velkora::LoadJpegResource(instance, 3, 594, 33);
#endif
    WNDCLASSW wc{};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.lpszClassName = kClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, kClass, L"", WS_POPUP, 100, 100, 404, 571, nullptr, nullptr, instance, nullptr);
#ifdef FLOOR_WITH_PARTS
    HWND tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd, nullptr, instance, nullptr);
    wchar_t tip[] = L"Programı Kapatır";
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = hwnd;
    info.uId = 1;
    info.rect = RECT{380, 0, 394, 17};
    info.lpszText = tip;
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
#endif
    SetTimer(hwnd, 1, 1000, nullptr);
    ShowWindow(hwnd, show);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
