// status-monitor: plays the messenger. Creates windows of class
// "MsnMsgrUIManager", decodes every status record they receive and prints one
// line per record (and appends it, UTF-8, to a file when asked).
//
//   status-monitor [--file PATH] [--windows N] [--threads] [--message-only]
//                  [--stall MS] [--ready PATH]
//
//   --file PATH      also append each line to PATH
//   --windows N      create N receiving windows (default 1)
//   --threads        each window on a receiving thread of its own (as N
//                    messengers are); without it, all on the main thread
//   --message-only   create message-only windows instead of top-level ones
//   --stall MS       sleep MS milliseconds inside every record, as a hung
//                    messenger would
//   --ready PATH     create PATH once the windows exist
//   --raw            add the record's bytes in hex, the receiving window's
//                    handle and the time of receipt (microseconds) to each line
//   --exit-on-record end the process right after the first record
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32_text.h"
#include "status_decode.h"
#include "status/status_payload.h"

namespace {

std::wstring g_file;
DWORD g_stall = 0;
bool g_raw = false;
bool g_exitOnRecord = false;
bool g_messageOnly = false;

void Emit(const std::string& line) {
    const std::string withBreak = line + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), withBreak.data(), static_cast<DWORD>(withBreak.size()), &written, nullptr);
    if (g_file.empty()) return;
    HANDLE f = CreateFileW(g_file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    WriteFile(f, withBreak.data(), static_cast<DWORD>(withBreak.size()), &written, nullptr);
    CloseHandle(f);
}

// Each window knows its own number from its creation on, whichever thread it is on.
int WindowIndex(HWND hwnd) { return static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

LRESULT OnCopyData(HWND hwnd, const COPYDATASTRUCT* cds) {
    const std::string prefix = "window=" + std::to_string(WindowIndex(hwnd)) + "\t";
    if (!cds) {
        Emit(prefix + "malformed=no record");
        return FALSE;
    }
    auto result = velkora::DecodeStatusRecord(cds->dwData, cds->lpData, cds->cbData);
    std::string raw;
    if (g_raw && cds->lpData) {
        static const char digits[] = "0123456789abcdef";
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        raw = "\thwnd=" + std::to_string(reinterpret_cast<std::uintptr_t>(hwnd)) +
              "\tus=" + std::to_string(now.QuadPart / (frequency.QuadPart / 1000000)) + "\traw=";
        const auto* bytes = static_cast<const unsigned char*>(cds->lpData);
        for (DWORD i = 0; i < cds->cbData; ++i) {
            raw.push_back(digits[bytes[i] >> 4]);
            raw.push_back(digits[bytes[i] & 15]);
        }
    }
    if (result.status)
        Emit(prefix + velkora::DescribeStatus(*result.status, cds->cbData) + raw);
    else
        Emit(prefix + "malformed=" + result.error + "\tdwData=" + std::to_string(cds->dwData) +
             "\tbytes=" + std::to_string(cds->cbData) + raw);
    if (g_exitOnRecord) ExitProcess(0);
    if (g_stall) Sleep(g_stall);
    return TRUE;
}

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA: return OnCopyData(hwnd, reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_NCCREATE:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            return DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_CLOSE: PostQuitMessage(0); return 0;
        default: return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND CreateReceiver(int index) {
    return CreateWindowExA(0, velkora::kMessengerWindowClass, "status-monitor", WS_OVERLAPPED, 0, 0, 10, 10,
                           g_messageOnly ? HWND_MESSAGE : nullptr, nullptr, GetModuleHandleW(nullptr),
                           reinterpret_cast<void*>(static_cast<INT_PTR>(index)));
}

void Pump() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

// A receiving thread of its own: makes its window, says so, and pumps.
struct Made {
    HANDLE done;
    int index;
    HWND window = nullptr;
};
DWORD WINAPI ReceivingThread(void* param) {
    auto* made = static_cast<Made*>(param);
    made->window = CreateReceiver(made->index);
    const bool ok = made->window != nullptr;
    SetEvent(made->done);
    if (ok) Pump();
    return 0;
}

HWND CreateOnThreadOfItsOwn(int index) {
    Made made{CreateEventW(nullptr, FALSE, FALSE, nullptr), index};
    if (!made.done) return nullptr;
    HANDLE thread = CreateThread(nullptr, 64 * 1024, ReceivingThread, &made, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread) {
        WaitForSingleObject(made.done, INFINITE);
        CloseHandle(thread);
    }
    CloseHandle(made.done);
    return made.window;
}

}  // namespace

int main() {
    SetConsoleOutputCP(CP_UTF8);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int windows = 1;
    bool threads = false;
    std::wstring ready;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == L"--file" && hasValue) g_file = argv[++i];
        else if (a == L"--windows" && hasValue) windows = _wtoi(argv[++i]);
        else if (a == L"--stall" && hasValue) g_stall = static_cast<DWORD>(_wtoi(argv[++i]));
        else if (a == L"--ready" && hasValue) ready = argv[++i];
        else if (a == L"--message-only") g_messageOnly = true;
        else if (a == L"--threads") threads = true;
        else if (a == L"--raw") g_raw = true;
        else if (a == L"--exit-on-record") g_exitOnRecord = true;
        else {
            Emit("usage: status-monitor [--file PATH] [--windows N] [--threads] [--message-only] [--stall MS] [--ready PATH] [--raw] [--exit-on-record]");
            return 2;
        }
    }
    LocalFree(argv);

    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = velkora::kMessengerWindowClass;
    if (!RegisterClassExA(&wc)) return 1;
    for (int i = 0; i < windows; ++i)
        if (!(threads ? CreateOnThreadOfItsOwn(i) : CreateReceiver(i))) return 1;
    if (!ready.empty()) CloseHandle(CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    Emit("status-monitor: " + std::to_string(windows) + " window(s) of class MsnMsgrUIManager waiting for records");

    Pump();
    return 0;
}
