// Prints Velkora's footprint against three floors built in the same run:
// floor.exe, the least Win32 program of its kind (one window of the same
// size, a one-second timer that does nothing), floor_parts.exe, the same
// with the system parts Velkora needs loaded and used (version 6 common
// controls with one tooltip, COM and OLE, one JPEG drawn through
// OleLoadPicture), and floor_controls.exe, the same with the child windows
// of Velkora's description made as Velkora makes them, so that the last
// ratio is what Velkora's own code costs beside the controls Windows makes.
// Then the start by phase (from the process's start: WinMain, the banner
// loaded, the controls made, the first paint, shown, and seen visible from
// here), of Velkora's bench build (velkora_phases.exe, the shipped program
// but for telling its phases) and of the controls floor, 7 starts each.
// Each program runs `runs` times, interleaved; each figure is the median and
// its spread from lowest to highest. The pointer is parked away from the
// windows first. Measures only; never fails.
//   footprint_bench [idle seconds, default 60] [runs, default 3]
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "harness.h"
#include "window/form1_layout.h"

using namespace velkora;

namespace {

struct Program {
    const wchar_t* name;
    std::wstring exe;
    const wchar_t* windowClass;
};

struct Sample {
    double startMs, workingSetKb, privateKb, idleCpuMs;
};

HWND VisibleWindowOf(DWORD pid, const wchar_t* className) {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, className, nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

double Now() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

// One run of a program: time to its visible window, memory after 10 s, CPU
// over the idle time that follows. With `publishingCpu`, Velkora's memory
// source then publishes for 10 s and the CPU per second is stored there.
Sample MeasureOnce(const Program& p, int idleSeconds, double* publishingCpu = nullptr) {
    e2e::Process process;
    const std::wstring tag = bench::NewTag(p.name);
    const double start = Now();
    process.Start(L"\"" + p.exe + L"\" " + tag);
    HWND window = nullptr;
    e2e::WaitUntil([&] { return (window = VisibleWindowOf(process.Id(), p.windowClass)) != nullptr; }, 20000);
    Sample s{Now() - start, 0, 0, 0};
    Sleep(10000);
    const bench::ProcessFigures settled = bench::Measure(process.Handle(), tag);
    s.workingSetKb = settled.workingSetKb;
    s.privateKb = settled.privateKb;
    Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    s.idleCpuMs = bench::Measure(process.Handle(), tag).cpuMs - settled.cpuMs;
    if (publishingCpu) {
        SendMessageW(GetDlgItem(window, ControlId("Check2")), BM_CLICK, 0, 0);
        SendMessageW(GetDlgItem(window, ControlId("Command1")), BM_CLICK, 0, 0);
        Sleep(1000);
        const double before = bench::Measure(process.Handle(), tag).cpuMs;
        Sleep(10000);
        *publishingCpu = (bench::Measure(process.Handle(), tag).cpuMs - before) / 10;
    }
    return s;
}

struct Spread {
    double median, low, high;
};

Spread SpreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

std::string Figure(const Spread& s, const char* unit, int decimals) {
    char text[96];
    std::snprintf(text, sizeof text, "%.*f %s (%.*f-%.*f)", decimals, s.median, unit, decimals, s.low, decimals, s.high);
    return text;
}

double FileKb(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return data.nFileSizeLow / 1024.0;
}

// The phases of one start, in ms from just before the process was made:
// what the program told (its first of each), and its window seen visible.
std::map<std::string, double> PhasesOnce(const Program& p) {
    const std::wstring file = e2e::TempPath(L"phases");
    DeleteFileW(file.c_str());
    e2e::Process process;
    const double start = Now();
    process.Start(L"\"" + p.exe + L"\" --phases \"" + file + L"\"");
    std::map<std::string, double> phases;
    if (e2e::WaitUntil([&] { return VisibleWindowOf(process.Id(), p.windowClass) != nullptr; }, 20000))
        phases["seen visible"] = Now() - start;
    Sleep(1000);
    std::ifstream told(std::string(file.begin(), file.end()));
    for (std::string line; std::getline(told, line);) {  // "name of the phase MICROSECONDS"
        const auto space = line.rfind(' ');
        if (space != std::string::npos) phases.emplace(line.substr(0, space), std::atoll(line.c_str() + space + 1) / 1000.0 - start);
    }
    DeleteFileW(file.c_str());
    return phases;
}

void Phases(const std::wstring& dir) {
    const Program programs[] = {
        {L"velkora", dir + L"\\bench\\velkora_phases.exe", reinterpret_cast<const wchar_t*>(kMainWindowClass)},
        {L"floor-controls", dir + L"\\bench\\floor_controls.exe", L"VelkoraFloorControls"},
    };
    const char* const order[] = {"WinMain", "banner loaded", "controls made", "loaded", "painted", "shown", "seen visible"};
    std::map<std::string, std::vector<double>> taken[2];
    for (int run = 0; run < 7; ++run)
        for (int i = 0; i < 2; ++i)
            for (const auto& [phase, ms] : PhasesOnce(programs[i])) taken[i][phase].push_back(ms);
    std::printf("\nthe start by phase, ms from the process's start: median (lowest-highest) of 7 starts each\n");
    std::printf("| phase | Velkora | controls floor |\n|---|---|---|\n");
    for (const char* phase : order) {
        std::string cells[2];
        for (int i = 0; i < 2; ++i)
            cells[i] = taken[i].count(phase) ? Figure(SpreadOf(taken[i][phase]), "ms", 0) : "-";
        std::printf("| %s | %s | %s |\n", phase, cells[0].c_str(), cells[1].c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    setvbuf(stdout, nullptr, _IONBF, 0);
    const POINT parked = bench::ParkPointer();
    std::printf("pointer parked at (%ld, %ld), away from the measured windows\n", parked.x, parked.y);

    const std::wstring dir = e2e::BinDir();
    e2e::Receiver receiver;  // Velkora publishes to a receiver while it is measured publishing
    receiver.Start();
    // Each run starts the bare floor, the parts floor, then Velkora.
    const Program programs[] = {
        {L"velkora", dir + L"\\Velkora.exe", reinterpret_cast<const wchar_t*>(kMainWindowClass)},
        {L"floor", dir + L"\\bench\\floor.exe", L"VelkoraFloor"},
        {L"floor-parts", dir + L"\\bench\\floor_parts.exe", L"VelkoraFloorParts"},
        {L"floor-controls", dir + L"\\bench\\floor_controls.exe", L"VelkoraFloorControls"},
    };
    const int order[] = {1, 2, 3, 0};
    std::vector<Sample> samples[4];
    std::vector<double> publishing;
    for (int run = 0; run < runs; ++run) {
        for (int i : order) {
            double cpu = 0;
            const Sample x = MeasureOnce(programs[i], idleSeconds, i == 0 ? &cpu : nullptr);
            samples[i].push_back(x);
            if (i == 0) publishing.push_back(cpu);
            std::printf("run %d of %d, %ls: start %.0f ms, working set %.0f KB, private %.0f KB, idle CPU %.0f ms\n",
                        run + 1, runs, programs[i].name, x.startMs, x.workingSetKb, x.privateKb, x.idleCpuMs);
        }
    }

    auto row = [&](const char* what, double Sample::*field, const char* unit, int decimals) {
        Spread s[4];
        for (int i = 0; i < 4; ++i) {
            std::vector<double> values;
            for (const Sample& x : samples[i]) values.push_back(x.*field);
            s[i] = SpreadOf(values);
        }
        auto ratio = [](double a, double b) {
            char text[32] = "-";  // nothing to divide by: the floor used no measurable time
            if (b > 0) std::snprintf(text, sizeof text, "%.2f", a / b);
            return std::string(text);
        };
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s |\n", what, Figure(s[0], unit, decimals).c_str(),
                    Figure(s[1], unit, decimals).c_str(), Figure(s[2], unit, decimals).c_str(),
                    Figure(s[3], unit, decimals).c_str(), ratio(s[0].median, s[1].median).c_str(),
                    ratio(s[0].median, s[2].median).c_str(), ratio(s[0].median, s[3].median).c_str());
    };
    std::printf("\nmedian (lowest-highest) of %d runs%s\n", runs,
                bench::UnderWine() ? "; under Wine, private memory and CPU time are the host's figures" : "");
    std::printf("| measure | Velkora | floor | parts floor | controls floor | ratio to floor | ratio to parts floor | ratio to controls floor |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    row("start to visible window", &Sample::startMs, "ms", 0);
    row("working set after 10 s", &Sample::workingSetKb, "KB", 0);
    row("private memory after 10 s", &Sample::privateKb, "KB", 0);
    char idle[64];
    std::snprintf(idle, sizeof idle, "CPU time over %d s idle", idleSeconds);
    row(idle, &Sample::idleCpuMs, "ms", 0);
    std::printf("| size of the program | %.1f KB | %.1f KB | %.1f KB | %.1f KB | - | - | - |\n", FileKb(programs[0].exe),
                FileKb(programs[1].exe), FileKb(programs[2].exe), FileKb(programs[3].exe));
    std::printf("CPU time per second with the memory source publishing: %s\n",
                Figure(SpreadOf(publishing), "ms", 1).c_str());
    Phases(dir);
    return 0;
}
