// Velkora.exe: the window is the program's start object.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "platform/win32_platform.h"
#include "window/win32_main_window.h"

#if defined(__GLIBCXX__)
// Every handler catches its own errors; an exception that still escapes ends
// the program. Replacing libstdc++'s verbose handler keeps its demangler and
// printf out of Velkora.exe (about 120 KB).
namespace __gnu_cxx {
void __verbose_terminate_handler() { abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    velkora::Win32Platform platform;
    velkora::MainWindow window(platform);
    if (!window.Create(instance, showCommand)) return 1;

    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Tab, Enter and the arrow keys move and press as in a dialog.
        if (IsDialogMessageW(window.Hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CoUninitialize();
    return static_cast<int>(msg.wParam);
}
