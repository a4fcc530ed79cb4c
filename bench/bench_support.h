// What the benchmarks read of a process they started themselves. Windows
// reports all of it; under Wine, what Wine leaves out for another process
// (private memory, CPU time) is read from the host's /proc through drive Z:,
// for the host process whose command line carries the tag it was started with.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace velkora::bench {

struct ProcessFigures {
    double workingSetKb = 0;
    double privateKb = 0;      // Windows' private bytes, or the host's anonymous resident memory
    double cpuMs = 0;          // user and kernel time; the host counts in 10 ms ticks
    long handles = -1;         // -1 where nobody reports it
    long gdiObjects = -1;      // GetGuiResources; -1 where it reports nothing
    long userObjects = -1;
};

// A unique tag for a process to be started, to be put on its command line.
std::wstring NewTag(const wchar_t* stem);

// The figures of `process`, started with `tag` on its command line.
ProcessFigures Measure(HANDLE process, const std::wstring& tag);

// Under Wine, the host's wineserver keeps the window objects of every
// process: its private memory in KB, or nothing outside Wine.
std::optional<double> WineserverPrivateKb();

// Whether this runs under Wine.
bool UnderWine();

// Moves the pointer to the screen's bottom-right corner, away from the
// windows measured: a pointer resting over a themed button makes Wine poll
// mouse tracking many times a second, in that button's process.
POINT ParkPointer();

}  // namespace velkora::bench
