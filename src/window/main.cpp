// Velkora.exe: the window is the program's start object.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "platform/win32_platform.h"
#include "window/win32_main_window.h"

#if defined(__GLIBCXX__)
// Every window procedure stands behind the error barrier; an exception that
// still escapes ends the program. Replacing libstdc++'s verbose handler keeps
// its demangler and printf out of Velkora.exe (about 120 KB).
namespace __gnu_cxx {
void __verbose_terminate_handler() { abort(); }
}  // namespace __gnu_cxx
#endif

namespace {

// One running copy per user session. A second start finds the running
// copy's window (waiting a moment, in case it is still being made) and posts
// it the request to come forward: a copy that is busy (delivering to a hung
// messenger, say) acts on it as soon as it answers. A copy that is ending is
// waited for instead. True only when the request was handed over; otherwise
// this start runs as the copy.
bool HandOverToRunningCopy() {
    HWND running = nullptr;
    const auto* className = reinterpret_cast<const wchar_t*>(velkora::kMainWindowClass);
    for (int attempt = 0; attempt < 100 && !(running = FindWindowW(className, nullptr)); ++attempt) Sleep(50);
    if (!running) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    if (GetPropW(running, velkora::MainWindow::kClosingProperty)) {
        if (HANDLE ending = OpenProcess(SYNCHRONIZE, FALSE, process)) {
            WaitForSingleObject(ending, 5000);
            CloseHandle(ending);
        }
        return false;
    }
    AllowSetForegroundWindow(process);  // this start came from the user: the running copy may take the front
    return PostMessageW(running, RegisterWindowMessageW(velkora::MainWindow::kStartedAgainMessage), 0, 0) != FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    // Held for the whole run; the system releases it when the process ends.
    HANDLE oneCopy = CreateMutexW(nullptr, FALSE, L"Local\\Velkora.OneCopy");
    if (oneCopy && GetLastError() == ERROR_ALREADY_EXISTS && HandOverToRunningCopy()) return 0;

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    velkora::Win32Platform platform;
    velkora::ErrorBarrier::Install(platform);
    velkora::MainWindow window(platform);
    try {
        window.Create(instance, showCommand);
    } catch (...) {
        // The window cannot be had: said in a message, and a non-zero exit.
        platform.EndWithError(velkora::errors::CurrentError());
        return 1;
    }

    MSG msg{};
    int exitCode = 0;
    // The loop also ends when the window is gone, should a nested loop (a
    // system move) have taken the quit message meant for this one.
    while (window.Hwnd()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            exitCode = got == 0 ? static_cast<int>(msg.wParam) : 1;
            break;
        }
        // Tab, Enter and the arrow keys move and press as in a dialog.
        if (IsDialogMessageW(window.Hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    CoUninitialize();
    return exitCode;
}
