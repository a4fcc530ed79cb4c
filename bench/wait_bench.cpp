// What delivery costs while it waits: this process publishes once a second
// for 30 s through the real Win32 platform, as the window's thread does, to
// messengers in other processes, in three cases:
//   (a) two healthy messengers (two lines, each answering at once);
//   (b) one that stalls 90 ms over every record, beside a healthy one;
//   (c) twenty receiving threads that hang in their first record, beside a
//       healthy messenger that was there first.
// The healthy messenger, and the others in (a) and (b), have had a first
// record before the 30 s begin; the hung ones of (c) come after it.
// For each: this process's CPU time over the 30 s, the host's count of
// context switches of all its threads per second (Wine's calls to its server
// included: (a) is the floor), how often a delivery worker came back from
// waiting per second, how many records the healthy messenger got, how many
// within 1.5 s of their publish, and how late the latest arrived. Under Wine the CPU time
// and the switches are read from the host's /proc. Measures only; never fails.
//   wait_bench [seconds, default 30] [cases, default abc]
#include <windows.h>

#include <algorithm>
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

namespace {

// This process as the host sees it: CPU time (10 ms ticks) and the context
// switches of all its threads. Outside Wine only the CPU time, from Windows.
struct Cost {
    double cpuMs = 0;
    double switches = -1;
};

Cost Now() {
    Cost c;
    if (!bench::UnderWine()) {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        auto ms = [](FILETIME t) { return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 10000.0; };
        c.cpuMs = ms(kernel) + ms(user);
        return c;
    }
    const std::string stat = e2e::host::ReadFile(L"Z:\\proc\\self\\stat");
    // The host's own pid is the first field; its threads are listed under it.
    const unsigned long pid = std::strtoul(stat.c_str(), nullptr, 10);
    c.cpuMs = e2e::host::CpuMs(pid);
    const std::wstring tasks = L"Z:\\proc\\" + std::to_wstring(pid) + L"\\task\\";
    c.switches = 0;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((tasks + L"*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return c;
    do {
        if (entry.cFileName[0] == L'.') continue;
        std::istringstream status(e2e::host::ReadFile(tasks + entry.cFileName + L"\\status"));
        std::string key;
        double n = 0;
        while (status >> key)
            if ((key == "voluntary_ctxt_switches:" || key == "nonvoluntary_ctxt_switches:") && status >> n) c.switches += n;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return c;
}

long long Microseconds() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return now.QuadPart / (frequency.QuadPart / 1000000);
}

struct Case {
    char letter;
    const char* what;
    std::vector<std::wstring> known;  // receivers besides the healthy one that have had the first record
    std::vector<std::wstring> later;  // and those that come after it
};

void Run(const Case& c, int seconds) {
    e2e::Receiver healthy;
    std::vector<std::unique_ptr<e2e::Receiver>> others;
    std::map<std::string, long long> publishedAt;
    {
        Win32Platform platform;
        // The healthy messenger and the known ones have had a record before the later ones come.
        bool started = healthy.Start();
        auto start = [&](const std::vector<std::wstring>& arguments) {
            for (const auto& args : arguments) {
                others.push_back(std::make_unique<e2e::Receiver>());
                started = started && others.back()->Start(args);
            }
        };
        start(c.known);
        PublishStatus(platform, u"ilk kayıt", u"", u"", u"Music", Text(), u"{0}", kShowTrue);
        started = started && healthy.WaitForCount(1, 5000);
        for (const auto& o : others) started = started && o->WaitForCount(1, 5000);
        start(c.later);
        if (!started) {
            std::printf("(%c) could not start the receivers\n", c.letter);
            return;
        }
        const Cost before = Now();
        const std::uint64_t wakeupsBefore = platform.Delivery().Wakeups();
        for (int k = 0; k < seconds; ++k) {
            const std::string sentence = "kayıt " + std::to_string(k);
            publishedAt[sentence] = Microseconds();
            PublishStatus(platform, FromUtf8(sentence), u"", u"", u"Music", Text(), u"{0}", kShowTrue);
            Sleep(1000);
        }
        const Cost after = Now();
        const double workerWakeups = static_cast<double>(platform.Delivery().Wakeups() - wakeupsBefore) / seconds;
        int got = 0, inTime = 0;
        double latest = 0;
        for (const auto& r : healthy.Records()) {
            auto it = publishedAt.find(r["field0"]);
            if (it == publishedAt.end()) continue;
            ++got;
            const double late = (std::atoll(r["us"].c_str()) - it->second) / 1000.0;
            inTime += late <= 1500;
            latest = std::max(latest, late);
        }
        const double perSecond = after.switches < 0 ? -1 : (after.switches - before.switches) / seconds;
        std::printf("(%c) %-64s | %6.0f ms | %6.1f | %4.1f | %2d of %2d, %2d within 1.5 s | %7.1f ms\n", c.letter, c.what,
                    after.cpuMs - before.cpuMs, perSecond, workerWakeups, got, seconds, inTime, latest);
        for (auto& o : others) o->Proc().Kill();  // sends to them end: their windows are gone
        while (platform.Delivery().Workers() > 0) Sleep(100);
    }
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
    const std::string which = argc > 2 ? argv[2] : "abc";
    bench::ParkPointer();
    const Case cases[] = {
        {'a', "two healthy messengers", {L""}, {}},
        {'b', "a healthy one that stalls 90 ms over every record, and one more", {L"--stall 90"}, {}},
        {'c', "twenty receiving threads hung in their first record", {}, {L"--windows 20 --threads --stall 3600000"}},
    };
    std::printf("one publish a second for %d s | CPU time | context switches/s | workers' wake-ups/s | the healthy one got | latest after its publish\n", seconds);
    for (const Case& c : cases)
        if (which.find(c.letter) != std::string::npos) Run(c, seconds);
    return 0;
}
