// The floors for the footprint benchmark. floor.exe is the least a Win32
// program of Velkora's kind does: one window of its size, one timer ticking
// every second and doing nothing, a message loop. floor_parts.exe (built with
// FLOOR_WITH_PARTS) also loads and uses the system parts Velkora needs: the
// version 6 common controls of its manifest with one tooltip, COM and OLE,
// and one JPEG drawn through OleLoadPicture. floor_controls.exe (with
// FLOOR_WITH_CONTROLS as well) also makes the child windows of Velkora's
// description, of the same classes and styles, at the same places, with the
// same fonts (the list with its phrases), and does nothing with them; given
// --phases PATH it tells its start-up phases as Velkora's bench build does.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#if defined(FLOOR_WITH_CONTROLS)
#include "window/form1_layout.h"
#include "window/win32_paint.h"
#include "window/win32_startup.h"
void TellPhases();
constexpr wchar_t kClass[] = L"VelkoraFloorControls";
velkora::UniqueGdi<HBITMAP> g_picture;
#elif defined(FLOOR_WITH_PARTS)
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
#ifdef FLOOR_WITH_CONTROLS
            velkora::StartupPhase("painted");
#endif
            return 0;
        }
#endif
        case WM_DESTROY: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

#ifdef FLOOR_WITH_CONTROLS
using namespace velkora;

// The description's child windows, as Velkora makes them, and nothing more.
void MakeControls(HWND parent, HINSTANCE instance, Win32Paints& paints) {
    auto px = [](int twips) { return MulDiv(twips, 96, 1440); };
    for (const ControlSpec& s : Form1Layout()) {
        const wchar_t* cls = nullptr;
        DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (s.visible ? WS_VISIBLE : 0) | (s.enabled ? 0 : WS_DISABLED), ex = 0;
        switch (s.kind) {
            case Kind::CheckBox: cls = L"BUTTON"; style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
            case Kind::OptionButton: cls = L"BUTTON"; style |= BS_AUTORADIOBUTTON | WS_TABSTOP; break;
            case Kind::CommandButton: cls = L"BUTTON"; style |= WS_TABSTOP | (s.graphical ? BS_OWNERDRAW : BS_PUSHBUTTON); break;
            case Kind::TextBox:
                cls = L"EDIT";
                style |= ES_AUTOHSCROLL | WS_TABSTOP | (BeyondTheEdge(s) ? ES_READONLY : 0);
                ex = BeyondTheEdge(s) ? 0 : WS_EX_CLIENTEDGE;
                break;
            case Kind::ListBox: cls = L"LISTBOX"; style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP; ex = WS_EX_CLIENTEDGE; break;
            case Kind::PictureBox: cls = L"STATIC"; break;
            default: continue;  // painted, not windows
        }
        const std::wstring text = s.text ? std::wstring(s.text, s.text + std::char_traits<char16_t>::length(s.text)) : L"";
        HWND child = CreateWindowExW(ex, cls, text.c_str(), style, px(s.left), px(s.top), px(s.width), px(s.height), parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(s.name))), instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(paints.Font(s.font)), FALSE);
        if (s.kind == Kind::ListBox)
            for (const char16_t* phrase : DefaultPhrases())
                SendMessageW(child, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(reinterpret_cast<const wchar_t*>(phrase)));
    }
}
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
#ifdef FLOOR_WITH_CONTROLS
    TellPhases();
    velkora::StartupPhase("WinMain");
#endif
#ifdef FLOOR_WITH_PARTS
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    g_picture = velkora::LoadJpegResource(instance, 3, 594, 33);
#endif
#ifdef FLOOR_WITH_CONTROLS
    velkora::StartupPhase("banner loaded");
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
#ifdef FLOOR_WITH_CONTROLS
    velkora::Win32Paints paints(96);
    MakeControls(hwnd, instance, paints);
    velkora::StartupPhase("controls made");
#endif
    SetTimer(hwnd, 1, 1000, nullptr);
    ShowWindow(hwnd, show);
#ifdef FLOOR_WITH_CONTROLS
    UpdateWindow(hwnd);
    velkora::StartupPhase("shown");
#endif
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
