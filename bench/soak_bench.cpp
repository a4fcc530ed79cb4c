// Days of publishing in minutes: the real Velkora.exe with the memory source
// publishing to a receiver window of this process, driven by ticks of its
// publishing timer sent as fast as it takes them. Prints, before, every
// 10,000 publishes and after: the process's handle count, GDI and USER
// objects where the system reports them, private memory (under Wine the
// host's figure, and the wineserver's, which holds the window objects of
// every process), and the records received, then the growth per 10,000
// publishes. Meanwhile receivers in other processes come and go: a new one
// starts and the last one ends at every mark, so that delivery workers are
// made and ended all the time. With --real-time it lets the one-second timer
// publish instead, for the given number of seconds. Measures only; never fails.
//   soak_bench [publishes, default 100000]
//   soak_bench --real-time SECONDS
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench_support.h"
#include "harness.h"
#include "status_decode.h"
#include "platform/platform.h"
#include "window/form1_layout.h"

using namespace velkora;

namespace {

std::size_t g_records = 0, g_malformed = 0;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_COPYDATA) return DefWindowProcW(hwnd, message, wParam, lParam);
    const auto* record = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    ++g_records;
    if (!DecodeStatusRecord(record->dwData, record->lpData, record->cbData).status) ++g_malformed;
    return TRUE;
}

struct Snapshot {
    std::size_t publishes, records;
    bench::ProcessFigures figures;
    double wineserverKb;
};

Snapshot Take(std::size_t publishes, e2e::VelkoraApp& app, const std::wstring& tag) {
    return {publishes, g_records, bench::Measure(app.Proc().Handle(), tag), bench::WineserverPrivateKb().value_or(-1)};
}

std::string Count(long value) { return value < 0 ? "not reported" : std::to_string(value); }

void Print(const char* when, const Snapshot& s) {
    std::printf("| %s | %zu | %zu | %s | %s | %s | %.0f KB | %.0f KB | %s |\n", when, s.publishes, s.records,
                Count(s.figures.handles).c_str(), Count(s.figures.gdiObjects).c_str(),
                Count(s.figures.userObjects).c_str(), s.figures.privateKb, s.figures.workingSetKb,
                s.wineserverKb < 0 ? "-" : (std::to_string(static_cast<long>(s.wineserverKb)) + " KB").c_str());
}

// Runs this thread's messages (the records arrive as sent messages) for a while.
void Pump(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now; (now = GetTickCount64()) < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const bool realTime = argc > 2 && std::strcmp(argv[1], "--real-time") == 0;
    const long seconds = realTime ? std::atol(argv[2]) : 0;
    const std::size_t publishes = !realTime && argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    bench::ParkPointer();

    WNDCLASSA wc{};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kMessengerWindowClass;
    RegisterClassA(&wc);
    CreateWindowExA(0, kMessengerWindowClass, "soak", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);

    e2e::VelkoraApp app;
    const std::wstring tag = bench::NewTag(L"soak");
    if (!app.Start(tag)) {
        std::printf("Velkora did not start\n");
        return 1;
    }
    app.Click("Check2");
    app.Click("Command1");  // the memory source publishes from now on
    Pump(3000);             // the start settles

    std::printf("| when | publishes driven | records received | handles | GDI objects | USER objects | private memory | working set | wineserver private |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    const Snapshot before = Take(0, app, tag);
    Print("before", before);
    std::size_t driven = 0;
    std::unique_ptr<e2e::Receiver> passing;  // a messenger that comes and goes
    auto churn = [&passing] {
        passing = std::make_unique<e2e::Receiver>();
        if (!passing->Start()) passing.reset();
    };
    if (realTime) {
        for (long elapsed = 0; elapsed < seconds; elapsed += 60) {
            Pump(static_cast<DWORD>(std::min(60L, seconds - elapsed)) * 1000);
            churn();
            Print("running", Take(0, app, tag));
        }
    } else {
        // Timer5's tick, as the system would deliver it; each one publishes once.
        UINT_PTR timer5 = 0;
        for (const TimerSpec& t : Form1Timers()) {
            ++timer5;
            if (std::strcmp(t.name, "Timer5") == 0) break;
        }
        while (driven < publishes) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(app.Main(), WM_TIMER, timer5, 0, SMTO_NORMAL, 5000, &result);
            if (++driven % 10000 == 0) {
                churn();
                Print("running", Take(driven, app, tag));
            }
        }
        Pump(2000);
    }
    passing.reset();
    Pump(7000);  // the last passing messenger's worker ends
    const Snapshot after = Take(driven, app, tag);
    Print("after", after);

    const double per = 10000.0 / std::max<double>(1, static_cast<double>(after.records - before.records));
    std::printf("\nrecords received: %zu (%zu malformed), publishes driven: %zu%s\n", after.records - before.records,
                g_malformed, driven, realTime ? " (the one-second timer's own)" : " (plus the one-second timer's own)");
    std::printf("growth per 10,000 records: handles %+.2f, private memory %+.1f KB, working set %+.1f KB, wineserver %+.1f KB\n",
                before.figures.handles < 0 ? 0.0 : (after.figures.handles - before.figures.handles) * per,
                (after.figures.privateKb - before.figures.privateKb) * per,
                (after.figures.workingSetKb - before.figures.workingSetKb) * per,
                before.wineserverKb < 0 ? 0.0 : (after.wineserverKb - before.wineserverKb) * per);
    return 0;
}
