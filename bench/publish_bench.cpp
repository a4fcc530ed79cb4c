// Prints what one status publish costs: PublishStatus to a receiver in
// another process against a bare SendMessage of the same bytes to the same
// window, in the same run, and the cost of building a payload. Measures
// only; never fails.
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "harness.h"
#include "platform/win32_platform.h"
#include "status/publish.h"

using namespace velkora;

int main() {
    e2e::Receiver receiver;
    if (!receiver.Start()) {
        std::printf("could not start status-monitor\n");
        return 1;
    }
    HWND window = FindWindowExA(nullptr, nullptr, kMessengerWindowClass, nullptr);
    const Text sentence = u"Toplam Bellek: 24105,2421875 mb - Kullanılan: 31 - Boşta: 16384,5 mb";
    Win32Platform platform;
    const int rounds = 2000;
    using Clock = std::chrono::steady_clock;

    auto time = [&](auto&& step) {
        const auto start = Clock::now();
        for (int i = 0; i < rounds; ++i) step();
        return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
    };
    const Text payload = BuildStatusPayload(sentence, u"", u"", u"Music", Text(), u"{0}", kShowTrue);
    COPYDATASTRUCT cds{kStatusCopyDataId, static_cast<DWORD>(payload.size() * 2), const_cast<char16_t*>(payload.data())};
    // Warm both paths, then alternate them twice to even out drift.
    time([&] { SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)); });
    double bare = 0, publish = 0;
    for (int pass = 0; pass < 2; ++pass) {
        bare += time([&] { SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)); }) / 2;
        publish += time([&] { PublishStatus(platform, sentence, u"", u"", u"Music", Text(), u"{0}", kShowTrue); }) / 2;
    }

    const int builds = 1000000;
    std::size_t sink = 0;
    const auto start = Clock::now();
    for (int i = 0; i < builds; ++i)
        sink += BuildStatusPayload(sentence, u"", u"", u"Music", Text(), u"{0}", kShowTrue).size();
    const double buildNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count() / builds;

    std::printf("publish to a receiver in another process: %.1f us\n", publish);
    std::printf("bare SendMessageA of the same bytes:      %.1f us\n", bare);
    std::printf("ratio PublishStatus / bare send:          %.2f\n", publish / bare);
    std::printf("building a %zu-unit payload:               %.0f ns (%zu)\n", payload.size(), buildNs, sink % 10);
    return 0;
}
