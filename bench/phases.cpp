// The start-up benchmark's ears in the programs it measures: given
// `--phases PATH` on the command line, each phase of the start is appended
// to PATH as its name and the performance counter's microseconds.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "window/win32_startup.h"

namespace {

std::wstring g_path;

void Append(const char* phase) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    if (FILE* f = _wfopen(g_path.c_str(), L"a")) {
        std::fprintf(f, "%s %lld\n", phase, static_cast<long long>(now.QuadPart / (frequency.QuadPart / 1000000)));
        std::fclose(f);
    }
}

}  // namespace

void TellPhases() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    for (int i = 1; argv && i + 1 < argc; ++i)
        if (std::wstring(argv[i]) == L"--phases") g_path = argv[i + 1];
    if (argv) LocalFree(argv);
    if (!g_path.empty()) velkora::g_startupPhase = Append;
}
