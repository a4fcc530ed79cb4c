// Stands in for a program that must not be run: started, it leaves a file
// named after itself with ".ran" added, and ends.
#include <windows.h>

#include <string>

int main() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring trace = std::wstring(path, n) + L".ran";
    CloseHandle(CreateFileW(trace.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return 0;
}
