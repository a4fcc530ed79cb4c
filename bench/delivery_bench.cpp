// What delivery costs as messenger windows grow in number: 1, 10, 100 and
// 2,000 windows (in 1, 1, 10 and 4 processes).
//
// First, PublishStatus on this thread, which plays the window's: the first
// publish (no delivery thread alive yet) and the steady state (30 publishes
// 200 ms apart), median and worst, with this process's delivery threads at
// their most and at the end, and how long until every window holds the last
// record. (Wine reports no private memory of its own for a process: the real
// program's below is read from the host.)
//
// Then the real Velkora.exe with the memory source publishing every second to
// the same windows for 15 s: how fast its window answers WM_NULL (asked
// every 50 ms), its threads and private memory at their highest, and after
// the turn-off whether every window ends on it, and when.
// Measures only; never fails.
//   delivery_bench [largest window count, default 2000]
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "harness.h"
#include "platform/win32_platform.h"
#include "status/publish.h"

using namespace velkora;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

long Threads(DWORD process) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    long count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == process;
    CloseHandle(snapshot);
    return count;
}

struct Spread {
    double median = 0, worst = 0;
};
Spread Of(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.back()};
}

// Receivers for `windows` windows, in as many processes as the count says.
std::vector<std::unique_ptr<e2e::Receiver>> StartReceivers(int windows) {
    const int processes = windows >= 2000 ? 4 : windows >= 100 ? 10 : 1;
    std::vector<std::unique_ptr<e2e::Receiver>> receivers;
    for (int i = 0; i < processes; ++i) {
        auto r = std::make_unique<e2e::Receiver>();
        if (!r->Start(L"--windows " + std::to_wstring(windows / processes))) return {};
        receivers.push_back(std::move(r));
    }
    return receivers;
}

// How many windows hold `raw` as their last record.
int WindowsEndingOn(const std::vector<std::unique_ptr<e2e::Receiver>>& receivers, const std::string& field, const std::string& value) {
    int count = 0;
    for (const auto& r : receivers) {
        std::map<std::string, std::string> last;
        for (const auto& record : r->Records()) last[record["hwnd"]] = record[field];
        for (const auto& [hwnd, v] : last) count += v == value;
    }
    return count;
}

void InProcess(int windows) {
    auto receivers = StartReceivers(windows);
    if (receivers.empty()) {
        std::printf("%5d windows: could not start the receivers\n", windows);
        return;
    }
    const long threadsBefore = Threads(GetCurrentProcessId());
    Win32Platform platform;
    auto publish = [&](int k) {
        const Text sentence = u"kayıt " + Text(1, static_cast<char16_t>(u'0' + k % 10)) + u" " +
                              Text(1, static_cast<char16_t>(u'0' + k / 10));
        const auto start = Clock::now();
        PublishStatus(platform, sentence, u"", u"", u"Music", Text(), u"{0}", kShowTrue);
        return Ms(Clock::now() - start);
    };
    const double first = publish(0);
    std::vector<double> steady;
    long threads = 0;
    for (int k = 1; k <= 30; ++k) {
        Sleep(200);
        steady.push_back(publish(k));
        threads = std::max(threads, Threads(GetCurrentProcessId()) - threadsBefore);
    }
    const long threadsEnd = Threads(GetCurrentProcessId()) - threadsBefore;
    const auto published = Clock::now();
    const std::string last = "kayıt 0 3";
    while (WindowsEndingOn(receivers, "field0", last) < windows && Clock::now() - published < std::chrono::seconds(60)) Sleep(200);
    const double settled = Ms(Clock::now() - published);
    const Spread s = Of(steady);
    std::printf("%5d windows | %8.3f ms | %8.3f ms | %8.3f ms | %ld, %ld | %d of %d at %.1f s\n", windows, first, s.median,
                s.worst, threads, threadsEnd, WindowsEndingOn(receivers, "field0", last), windows, settled / 1000);
    while (platform.Delivery().Workers() > 0) Sleep(100);  // workers linger, then end
}

void RealProgram(int windows) {
    auto receivers = StartReceivers(windows);
    e2e::VelkoraApp app;
    const std::wstring tag = bench::NewTag(L"delivery");
    if (receivers.empty() || !app.Start(tag)) {
        std::printf("%5d windows: could not start the programs\n", windows);
        return;
    }
    bench::ParkPointer();
    const DWORD pid = app.Proc().Id();
    const long threadsBefore = Threads(pid);
    const double memoryBefore = bench::Measure(app.Proc().Handle(), tag).privateKb;
    app.Click("Check2");
    app.Click("Command1");
    std::vector<double> answers;
    long threads = 0;
    double memory = 0;
    for (const auto end = Clock::now() + std::chrono::seconds(15); Clock::now() < end; Sleep(50)) {
        const auto start = Clock::now();
        DWORD_PTR result = 0;
        SendMessageTimeoutW(app.Main(), WM_NULL, 0, 0, SMTO_BLOCK, 60000, &result);
        answers.push_back(Ms(Clock::now() - start));
        if (answers.size() % 10 == 0) {
            threads = std::max(threads, Threads(pid));
            memory = std::max(memory, bench::Measure(app.Proc().Handle(), tag).privateKb);
        }
    }
    const long threadsEnd = Threads(pid);
    const double memoryEnd = bench::Measure(app.Proc().Handle(), tag).privateKb;
    app.Click("Command2");
    const auto off = Clock::now();
    while (WindowsEndingOn(receivers, "show", "0") < windows && Clock::now() - off < std::chrono::seconds(60)) Sleep(500);
    const double settled = Ms(Clock::now() - off);
    const Spread a = Of(answers);
    std::printf("%5d windows | %7.2f ms | %7.2f ms | %ld, %ld, %ld | %.0f, %.0f, %.0f KB | %d of %d at %.1f s\n", windows,
                a.median, a.worst, threadsBefore, threads, threadsEnd, memoryBefore, memory, memoryEnd,
                WindowsEndingOn(receivers, "show", "0"), windows, settled / 1000);
}

}  // namespace

int main(int argc, char** argv) {
    const int largest = argc > 1 ? std::atoi(argv[1]) : 2000;
    std::vector<int> counts;
    for (int n : {1, 10, 100, 2000})
        if (n <= largest) counts.push_back(n);
    std::printf("PublishStatus on this thread (the window's): first publish, then 30 publishes 200 ms apart\n");
    std::printf("      windows |      first | steady med | steady max | +threads: most, at 6 s | windows on the last record\n");
    for (int n : counts) InProcess(n);
    std::printf("The real Velkora.exe, memory source for 15 s, then the turn-off\n");
    std::printf("      windows | WM_NULL med | WM_NULL max | threads: before, most, at 15 s | private memory: the same | windows on the turn-off\n");
    for (int n : counts) RealProgram(n);
    return 0;
}
