// Velkora.exe: the window is the program's start object.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdlib>

#include "platform/win32_platform.h"
#include "window/win32_main_window.h"
#include "window/win32_startup.h"

#if defined(__GLIBCXX__)
// Every window procedure stands behind the error barrier; an exception that
// still escapes ends the program. Replacing libstdc++'s verbose handler keeps
// its demangler and printf out of Velkora.exe (about 120 KB).
namespace __gnu_cxx {
void __verbose_terminate_handler() { abort(); }
}  // namespace __gnu_cxx
#endif

namespace {

// One running copy per user session, marked by a mutex its thread owns until
// its window goes. A second start posts the running copy's window the
// request to come forward and waits for one of two ends: the copy says it
// came forward (an event named after this start, set once the copy has
// handled whatever input came before the request), or the copy lets go of
// the mark (its window went, the request with it) and this start takes the
// mark and runs as the copy. A copy that is busy (its thread stopped for a
// moment) gets the request all the same: it waits in its queue, and this
// start ends kAnswerMs after posting it. A copy still making its window is
// waited for kWindowMs at most: one that hangs before it has one, or any
// process that holds the mark's name, leaves this start to end, not to wait
// unseen. True when this start should end; false when it holds the mark.
bool HandOverToRunningCopy(HANDLE mark) {
    constexpr ULONGLONG kAnswerMs = 5000, kWindowMs = 10000;
    const ULONGLONG started = GetTickCount64();
    const DWORD self = GetCurrentProcessId();
    // Without the event the copy cannot answer; its mark is waited for all the same.
    HANDLE taken = CreateEventW(nullptr, TRUE, FALSE, velkora::MainWindow::TakenOverEventName(self).c_str());
    const auto* className = reinterpret_cast<const wchar_t*>(velkora::kMainWindowClass);
    const UINT request = RegisterWindowMessageW(velkora::MainWindow::kStartedAgainMessage);
    ULONGLONG postedAt = 0;
    DWORD which = WAIT_TIMEOUT;
    while (which == WAIT_TIMEOUT && !(postedAt && GetTickCount64() - postedAt >= kAnswerMs) &&
           (postedAt || GetTickCount64() - started < kWindowMs)) {
        if (!postedAt) {
            if (HWND running = FindWindowW(className, nullptr)) {
                DWORD process = 0;
                GetWindowThreadProcessId(running, &process);
                AllowSetForegroundWindow(process);  // this start came from the user: the running copy may take the front
                if (PostMessageW(running, request, self, 0)) postedAt = GetTickCount64();
            }
        }
        HANDLE ends[] = {mark, taken};
        which = WaitForMultipleObjects(taken ? 2 : 1, ends, FALSE, 50);
    }
    if (taken) CloseHandle(taken);
    return which != WAIT_OBJECT_0 && which != WAIT_ABANDONED_0;
}

}  // namespace

#ifdef VELKORA_PHASES
void TellPhases();  // the start-up benchmark's build: bench/phases.cpp
#endif

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
#ifdef VELKORA_PHASES
    TellPhases();
#endif
    velkora::StartupPhase("WinMain");
    // Owned by this thread while this copy's window lasts.
    HANDLE oneCopy = CreateMutexW(nullptr, TRUE, L"Local\\Velkora.OneCopy");
    if (oneCopy && GetLastError() == ERROR_ALREADY_EXISTS && HandOverToRunningCopy(oneCopy)) return 0;

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    velkora::Win32Platform platform;
    platform.HoldOneCopy(oneCopy);
    velkora::ErrorBarrier::Install(platform);
    int exitCode = 0;
    {
        velkora::MainWindow window(platform);
        try {
            window.Create(instance, showCommand);
            velkora::StartupPhase("shown");
        } catch (...) {
            // The window cannot be had: said in a message, and a non-zero exit.
            platform.EndWithError(velkora::errors::CurrentError());
            return 1;
        }

        MSG msg{};
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
    }  // the window's objects, the ones kept for a screen reader among them, go while COM is there
    platform.FinishDeliveries();
    CoUninitialize();
    return exitCode;
}
