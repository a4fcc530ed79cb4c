// Prints Velkora's footprint against a minimal Win32 program built in the
// same run (floor.exe): time from start to a visible window, working set
// after 10 s and the size of the program. It also prints "mark" lines at the
// start and end of an idle minute (only the uptime refresh running) and of
// ten seconds of the memory source publishing; scripts/bench.sh reads the
// process's CPU time and private memory from the host at those marks, since
// Wine does not report them for another process. Measures only; never fails.
//   footprint_bench [idle seconds, default 60]
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "harness.h"
#include "window/form1_layout.h"

using namespace velkora;

namespace {

struct Figures {
    double startMs = 0;
    double workingSetKb = 0, privateKb = 0;
    double idleCpuMs = 0;
    double sizeKb = 0;
};

double CpuMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(process, &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0; };
    return ms(kernel) + ms(user);
}

HWND VisibleWindowOf(DWORD pid, const wchar_t* className) {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

double FileKb(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.nFileSizeLow / 1024.0;
}

Figures Measure(const std::wstring& exe, const wchar_t* className, int idleSeconds, HWND* windowOut, e2e::Process& p) {
    Figures f;
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    p.Start(L"\"" + exe + L"\"");
    HWND window = nullptr;
    e2e::WaitUntil([&] { return (window = VisibleWindowOf(p.Id(), className)) != nullptr; }, 20000);
    QueryPerformanceCounter(&now);
    f.startMs = (now.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
    *windowOut = window;
    Sleep(10000);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    GetProcessMemoryInfo(p.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    f.workingSetKb = memory.WorkingSetSize / 1024.0;
    f.privateKb = memory.PrivateUsage / 1024.0;
    std::printf("mark %ls idle-start\n", className);
    const double before = CpuMs(p.Handle());
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    f.idleCpuMs = CpuMs(p.Handle()) - before;
    std::printf("mark %ls idle-end\n", className);
    f.sizeKb = FileKb(exe);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
    setvbuf(stdout, nullptr, _IONBF, 0);
    const std::wstring dir = e2e::BinDir();
    e2e::Receiver receiver;
    receiver.Start();

    e2e::Process floorProcess, velkoraProcess;
    HWND floorWindow = nullptr, velkoraWindow = nullptr;
    Figures floor, velkora;
    floor = Measure(dir + L"\\bench\\floor.exe", L"VelkoraFloor", idleSeconds, &floorWindow, floorProcess);
    velkora = Measure(dir + L"\\Velkora.exe", reinterpret_cast<const wchar_t*>(kMainWindowClass), idleSeconds,
                      &velkoraWindow, velkoraProcess);

    // The memory source publishing once a second.
    SendMessageW(GetDlgItem(velkoraWindow, ControlId("Check2")), BM_CLICK, 0, 0);
    SendMessageW(GetDlgItem(velkoraWindow, ControlId("Command1")), BM_CLICK, 0, 0);
    Sleep(1000);
    std::printf("mark publishing-start\n");
    const double before = CpuMs(velkoraProcess.Handle());
    Sleep(10000);
    const double publishingCpuPerSecond = (CpuMs(velkoraProcess.Handle()) - before) / 10;
    std::printf("mark publishing-end\n");

    auto row = [](const char* what, double v, double f, const char* unit) {
        std::printf("| %s | %.1f %s | %.1f %s | %.2f |\n", what, v, unit, f, unit, f > 0 ? v / f : 0.0);
    };
    std::printf("As Windows reports them:\n| measure | Velkora | floor | ratio |\n|---|---|---|---|\n");
    row("start to visible window", velkora.startMs, floor.startMs, "ms");
    row("working set after 10 s", velkora.workingSetKb, floor.workingSetKb, "KB");
    row("private bytes after 10 s", velkora.privateKb, floor.privateKb, "KB");
    char idle[64];
    std::snprintf(idle, sizeof idle, "CPU time over %d s idle", idleSeconds);
    row(idle, velkora.idleCpuMs, floor.idleCpuMs, "ms");
    std::printf("| CPU time per second, memory source publishing | %.2f ms | - | - |\n", publishingCpuPerSecond);
    row("size of the program", velkora.sizeKb, floor.sizeKb, "KB");
    std::printf("records received while publishing: %zu\n", receiver.Count());
    return 0;
}
