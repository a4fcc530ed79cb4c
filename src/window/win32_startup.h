// Where the start-up benchmark hears each phase of a start: the program
// leaves it null (nothing is told); the benchmark's own build of the program
// sets it.
#pragma once

namespace velkora {

inline void (*g_startupPhase)(const char* phase) = nullptr;

inline void StartupPhase(const char* phase) {
    if (g_startupPhase) g_startupPhase(phase);
}

}  // namespace velkora
