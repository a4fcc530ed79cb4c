#include "bench_support.h"

#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace velkora::bench {

namespace {

std::string ReadWhole(const std::wstring& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string content;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(f, buffer, sizeof buffer, &n, nullptr) && n > 0) content.append(buffer, n);
    CloseHandle(f);
    return content;
}

// The host pid of the process whose command line holds `needle`; 0 when none.
unsigned long HostPid(const std::string& needle) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    unsigned long found = 0;
    do {
        const unsigned long pid = wcstoul(entry.cFileName, nullptr, 10);
        if (pid == 0) continue;
        std::string line = ReadWhole(L"Z:\\proc\\" + std::wstring(entry.cFileName) + L"\\cmdline");
        for (char& c : line)
            if (c == '\0') c = ' ';
        if (line.find(needle) != std::string::npos) found = pid;
    } while (!found && FindNextFileW(find, &entry));
    FindClose(find);
    return found;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }  // tags are ASCII

double RssAnonKb(unsigned long pid) {
    std::istringstream status(ReadWhole(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\status"));
    std::string key;
    double kb = 0;
    while (status >> key)
        if (key == "RssAnon:" && status >> kb) return kb;
    return 0;
}

double HostCpuMs(unsigned long pid) {
    const std::string stat = ReadWhole(L"Z:\\proc\\" + std::to_wstring(pid) + L"\\stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));  // after "pid (name) "
    std::string field;
    double ticks = 0;
    for (int i = 3; fields >> field && i <= 15; ++i)
        if (i == 14 || i == 15) ticks += std::atof(field.c_str());  // utime, stime
    return ticks * 10;  // USER_HZ is 100
}

// The system's handle count of a process: GetProcessHandleCount answers 0
// under Wine, the process list does not.
long HandleCount(DWORD pid) {
    std::vector<char> buffer(1 << 20);
    ULONG length = 0;
    if (NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) != 0)
        return -1;
    for (auto* p = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(buffer.data());;
         p = reinterpret_cast<SYSTEM_PROCESS_INFORMATION*>(reinterpret_cast<char*>(p) + p->NextEntryOffset)) {
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)) == pid) return static_cast<long>(p->HandleCount);
        if (p->NextEntryOffset == 0) return -1;
    }
}

}  // namespace

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

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
    f.handles = HandleCount(GetProcessId(process));
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS), users = GetGuiResources(process, GR_USEROBJECTS);
    if (gdi || users) {
        f.gdiObjects = static_cast<long>(gdi);
        f.userObjects = static_cast<long>(users);
    }
    if (UnderWine()) {
        if (const unsigned long pid = HostPid(Narrow(tag))) {
            f.privateKb = RssAnonKb(pid);
            f.cpuMs = HostCpuMs(pid);
        }
    }
    return f;
}

std::optional<double> WineserverPrivateKb() {
    if (!UnderWine()) return std::nullopt;
    const unsigned long pid = HostPid("wineserver");
    if (!pid) return std::nullopt;
    return RssAnonKb(pid);
}

POINT ParkPointer() {
    const POINT corner{GetSystemMetrics(SM_CXSCREEN) - 4, GetSystemMetrics(SM_CYSCREEN) - 4};
    SetCursorPos(corner.x, corner.y);
    return corner;
}

}  // namespace velkora::bench
