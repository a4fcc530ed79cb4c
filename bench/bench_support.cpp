#include "bench_support.h"

#include "harness.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace velkora::bench {

namespace {

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }  // tags are ASCII

}  // namespace

bool UnderWine() { return e2e::host::UnderWine(); }

std::wstring NewTag(const wchar_t* stem) {
    static int counter = 0;
    return std::wstring(L"--bench-") + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

ProcessFigures Measure(HANDLE process, const std::wstring& tag) {
    ProcessFigures f;
    PROCESS_MEMORY_COUNTERS_EX memory{};
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
        f.workingSetKb = memory.WorkingSetSize / 1024.0;
        f.privateKb = memory.PrivateUsage / 1024.0;
    }
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0; };
        f.cpuMs = ms(kernel) + ms(user);
    }
    f.handles = e2e::host::HandleCount(GetProcessId(process));
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS), users = GetGuiResources(process, GR_USEROBJECTS);
    if (gdi || users) {
        f.gdiObjects = static_cast<long>(gdi);
        f.userObjects = static_cast<long>(users);
    }
    if (UnderWine()) {
        if (const unsigned long pid = e2e::host::Pid(Narrow(tag))) {
            f.privateKb = e2e::host::RssAnonKb(pid);
            f.cpuMs = e2e::host::CpuMs(pid);
        }
    }
    return f;
}

std::optional<double> WineserverPrivateKb() {
    if (!UnderWine()) return std::nullopt;
    const unsigned long pid = e2e::host::Pid("wineserver");
    if (!pid) return std::nullopt;
    return e2e::host::RssAnonKb(pid);
}

POINT ParkPointer() {
    const POINT corner{GetSystemMetrics(SM_CXSCREEN) - 4, GetSystemMetrics(SM_CYSCREEN) - 4};
    SetCursorPos(corner.x, corner.y);
    return corner;
}

}  // namespace velkora::bench
