// Prints what one status publish costs: PublishStatus to a receiver in
// another process against a bare SendMessage of the same bytes to the same
// window, in the same run, and the cost of building a payload. Then the real
// Velkora.exe with the date-and-time source publishing every second to three
// messengers, a healthy one, one that takes 1.5 s over each record and a hung
// one: how fast the window answers, and the healthy one's longest wait.
// Measures only; never fails.
//   publish_bench [seconds of the three-messenger run, default 60]
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"
#include "platform/win32_platform.h"
#include "status/publish.h"

using namespace velkora;

namespace {

void ThreeMessengers(int seconds) {
    e2e::Receiver healthy, slow, hung;
    e2e::VelkoraApp app;
    if (!healthy.Start() || !slow.Start(L"--stall 1500") || !hung.Start(L"--stall 600000") || !app.Start()) {
        std::printf("could not start the programs\n");
        return;
    }
    app.Click("Check3");
    app.Click("Command1");
    std::vector<double> answers;
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    while (GetTickCount64() < end) {
        const auto start = std::chrono::steady_clock::now();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_BLOCK, 10000, &result);
        answers.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        Sleep(50);
    }
    std::sort(answers.begin(), answers.end());
    const auto records = healthy.Records();
    long long longest = 0;
    for (std::size_t i = 1; i < records.size(); ++i)
        longest = std::max(longest, std::stoll(records[i]["us"]) - std::stoll(records[i - 1]["us"]));
    std::printf("three messengers (healthy, 1.5 s a record, hung), date and time every second, %d s:\n", seconds);
    std::printf("  window's WM_NULL round trip: median %.2f ms, worst %.2f ms (%zu asked)\n",
                answers[answers.size() / 2], answers.back(), answers.size());
    std::printf("  healthy messenger: %zu records, longest gap %.3f s\n", records.size(), longest / 1e6);
    std::printf("  slow messenger: %zu records\n", slow.Count());
    hung.Proc().Kill();
}

}  // namespace

int main(int argc, char** argv) {
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
    ThreeMessengers(argc > 1 ? std::atoi(argv[1]) : 60);
    return 0;
}
