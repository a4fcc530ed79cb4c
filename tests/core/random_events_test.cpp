// Long random sequences of user events and timer ticks against the core,
// checking the window's invariants after every event. A failure prints the
// seed and the shortest sequence found that still reproduces it.
#include <algorithm>
#include <random>
#include <set>
#include <sstream>

#include "form_fixture.h"
#include "sources/number_text.h"

namespace velkora::testing {
namespace {

struct Event {
    int kind;
    int arg;
};

const char* const kKindNames[] = {"check", "option", "activate", "turn-off", "add", "remove", "clear", "plus",
                                  "minus", "list-click", "tick", "clock", "memory", "hide", "tray-event"};
constexpr int kKinds = 15;

class EventRun {
public:
    EventRun() : form(platform, controls) {
        platform.topLevel = {0x1001, 0x2002};
        form.Form.Load();
        for (const char16_t* p : DefaultPhrases()) everListed.insert(p);
    }

    // Applies one event; returns a description of the first broken invariant, or "".
    std::string Apply(const Event& e) {
        const std::size_t sentBefore = platform.deliveries.size();
        bool timerEvent = false;
        Text expectedField0;
        switch (e.kind) {
            case 0: controls.Check(e.arg % 5 + 1).UserClick(); break;
            case 1: controls.As<MemoryOptionButton>("Option" + std::to_string(e.arg % 3 + 1)).UserClick(); break;
            case 2:
                controls.As<MemoryCommandButton>("Command1").UserClick();
                stopped = false;
                break;
            case 3:
                controls.As<MemoryCommandButton>("Command2").UserClick();
                stopped = true;
                break;
            case 4: {
                auto& entry = controls.TextBoxNamed("Text2");
                const int length = e.arg % 4 == 0 ? 0 : e.arg % 70;
                Text typed;
                for (int i = 0; i < length; ++i) typed.push_back(static_cast<char16_t>(u"aşİ ğ.1"[(e.arg + i) % 7]));
                entry.UserType(typed);
                if (entry.enabled && !entry.text.empty()) everListed.insert(entry.text);
                controls.As<MemoryCommandButton>("Command3").UserClick();
                break;
            }
            case 5: controls.As<MemoryCommandButton>("Command7").UserClick(); break;
            case 6: controls.As<MemoryCommandButton>("Command6").UserClick(); break;
            case 7:
                controls.As<MemoryCommandButton>("Command4").UserClick();
                ++interval;
                ++countdown;
                break;
            case 8:
                controls.As<MemoryCommandButton>("Command5").UserClick();
                --interval;
                --countdown;
                if (interval <= 0) {
                    interval = 0;
                    if (countdown <= 0) countdown = 0;
                }
                break;
            case 9: {
                auto& list = controls.As<MemoryListBox>("List1");
                if (list.ListCount() > 0) list.UserClick(e.arg % list.ListCount());
                break;
            }
            case 10: {
                const int n = e.arg % 5 + 1;
                timerEvent = n != 2;
                if (n == 1 && controls.TimerNumber(1).enabled) {
                    if (--countdown <= 0) countdown = interval;
                }
                controls.TimerNumber(n).Fire();
                break;
            }
            case 11: platform.tick += static_cast<std::uint64_t>(e.arg) * 7919; break;
            case 12: platform.memory = {static_cast<std::uint32_t>(e.arg % 101), 1ull << (20 + e.arg % 16),
                                        static_cast<std::uint64_t>(e.arg) * 4099}; break;
            case 13: controls.As<MemoryLabel>("Label14").UserClick(); break;
            case 14: controls.As<PictureBox>("picSystemTray").MouseMove(512 + e.arg % 8, std::nullopt); break;
        }
        return Check(sentBefore, timerEvent);
    }

private:
    std::string Check(std::size_t sentBefore, bool timerEvent) {
        if (platform.endedWith) return "the program ended";
        if (!platform.messageBoxes.empty() && platform.messageBoxes.back().first.find(u"hata") != Text::npos)
            return "a run-time error was shown";

        int ticked = 0;
        for (int n = 1; n <= 5; ++n) ticked += controls.Check(n).value == 1;
        if (ticked > 1) return "more than one source box is ticked";
        for (int n = 1; n <= 5; ++n) {
            const bool expected = ticked == 0 || controls.Check(n).value == 1;
            if (controls.Check(n).enabled != expected) return "Check" + std::to_string(n) + " has the wrong Enabled state";
        }
        const bool phrases = controls.Check(5).value == 1;
        for (const char* name : {"Text2", "Command3", "List1", "Command7", "Command6"})
            if (controls.As<Control>(name).Enabled() != phrases) return std::string(name) + " does not follow Check5";
        if (controls.TextBoxNamed("Text9").enabled) return "Text9 is enabled";

        if (stopped && timerEvent && platform.deliveries.size() != sentBefore)
            return "a timer published after the turn-off";
        for (std::size_t i = sentBefore; i < platform.deliveries.size(); ++i) {
            const auto& d = platform.deliveries[i];
            auto r = DecodeStatusRecord(d.dwData, d.bytes.data(), d.bytes.size());
            if (!r.status) return "a record does not decode: " + r.error;
            const DecodedStatus& s = *r.status;
            if (!s.field2.empty() || !s.field3.empty()) return "field 2 or 3 is filled";
            if (s.format == u"{0} - {1}") {
                if (s.Shown() || s.category != u"Music" || !s.field0.empty() || !s.field1.empty())
                    return "a malformed turn-off record";
            } else if (s.format == u"{1}{0}") {
                if (!s.Shown() || !s.field0.empty() || s.category != form.StatusCategory ||
                    s.field1 != controls.TextBoxNamed("Text9").text)
                    return "a phrase record does not carry Text9 and the category";
            } else if (s.format == u"{0}") {
                const Text& f = s.field0;
                const bool fromDisplay = f == controls.TextBoxNamed("Text10").text || f == controls.TextBoxNamed("Text5").text ||
                                         f == controls.TextBoxNamed("Text4").text || f == controls.TextBoxNamed("Text11").text;
                if (!s.Shown() || !s.field1.empty() || s.category != form.StatusCategory || !fromDisplay)
                    return "a source record does not carry its display's text and the category";
            } else {
                return "an unknown template";
            }
            if (i > 0 && d.window == platform.deliveries[i - 1].window) return "a window got one record twice in a row";
        }

        if (controls.TextBoxNamed("Text3").text != WholeNumberText(interval)) return "the interval is off";
        if (controls.As<MemoryLabel>("Label12").caption != WholeNumberText(countdown)) return "the countdown is off";
        const Text& current = controls.TextBoxNamed("Text9").text;
        if (!current.empty() && !everListed.count(current)) return "Text9 shows a phrase the list never held";
        return {};
    }

    FakePlatform platform;
    MemoryControls controls;
    Form1 form;
    bool stopped = true;  // nothing publishes on its own before the first activation
    int interval = 10, countdown = 10;
    std::set<Text> everListed;
};

std::string Replay(const std::vector<Event>& events, std::size_t* failedAt = nullptr) {
    EventRun run;
    for (std::size_t i = 0; i < events.size(); ++i) {
        std::string broken = run.Apply(events[i]);
        if (!broken.empty()) {
            if (failedAt) *failedAt = i;
            return broken;
        }
    }
    return {};
}

// Drops events one at a time while the failure persists, pass after pass
// until no single event can go.
std::vector<Event> Shrink(std::vector<Event> events) {
    std::size_t failedAt = 0;
    Replay(events, &failedAt);
    events.resize(failedAt + 1);
    for (bool shrunk = true; shrunk;) {
        shrunk = false;
        for (std::size_t i = events.size(); i-- > 0;) {
            std::vector<Event> shorter = events;
            shorter.erase(shorter.begin() + static_cast<std::ptrdiff_t>(i));
            if (!Replay(shorter).empty()) {
                events = std::move(shorter);
                shrunk = true;
            }
        }
    }
    return events;
}

TEST(RandomEvents, InvariantsHoldAfterEveryEvent) {
    constexpr int kEventsPerRun = 100000;
    for (std::uint32_t seed : {1u, 20261208u, 424242u}) {
        std::mt19937 random(seed);
        std::vector<Event> events;
        EventRun run;
        for (int i = 0; i < kEventsPerRun; ++i) {
            // Ticks are the most common events, as on the real window.
            const int roll = static_cast<int>(random() % 40);
            Event e{roll < kKinds ? roll : 10, static_cast<int>(random() % 100000)};
            events.push_back(e);
            const std::string broken = run.Apply(e);
            if (!broken.empty()) {
                std::vector<Event> shortest = Shrink(events);
                std::ostringstream out;
                out << "seed " << seed << ", event " << i << ": " << broken << "\nshortest sequence ("
                    << shortest.size() << " events):";
                for (const Event& s : shortest) out << " " << kKindNames[s.kind] << "(" << s.arg << ")";
                FAIL() << out.str();
            }
        }
    }
}

}  // namespace
}  // namespace velkora::testing
