// An in-memory platform for the core's tests: messenger windows that record
// the bytes they get, a settable clock and memory, a notification area that
// counts icons, and a log of message boxes, launches and program ends.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/courier.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"
#include "status_decode.h"

namespace velkora::testing {

struct Delivered {
    Handle window;
    std::uint32_t dwData;
    std::vector<std::uint8_t> bytes;

    DecodedStatus Decoded() const {
        auto r = DecodeStatusRecord(dwData, bytes.data(), bytes.size());
        return r.status.value();
    }
};

class FakePlatform : public Platform, public Courier {
public:
    // Messenger windows, in the order the walk yields them, each on a
    // receiving thread of its own unless `receivers` names one.
    std::vector<Handle> topLevel;
    std::vector<Handle> messageOnly;
    std::map<Handle, std::uint64_t> receivers;
    std::vector<Delivered> deliveries;  // what the windows took

    // Delivery in memory, on the caller's thread and on the fake clock: what
    // is due runs at once, inside the publish, unless deferDelivery is set;
    // then it waits for Deliver() or Advance(). A window answers its sends in
    // turn as `answers` says: 'D' takes the record, 'T' times out, 'R'
    // refuses, 'G' is gone (and leaves the walk); then it takes them all.
    // whileSending runs inside each send, as what other threads do meanwhile.
    struct Attempt {
        Handle window;
        Text field1;
        Sent sent;
        Ms bound;
    };
    bool deferDelivery = false;
    std::map<Handle, std::string> answers;
    std::function<void(Handle)> whileSending;
    std::vector<Attempt> attempts;

    Courier& Delivery() override { return *this; }
    void Deliver() {
        while (Step()) {}
    }
    void Advance(Ms by) {
        now_ += by;
        Deliver();
    }

protected:
    std::vector<Handle> Windows(WindowScope scope) override { return scope == WindowScope::TopLevel ? topLevel : messageOnly; }
    std::uint64_t ReceiverOf(Handle window) override {
        auto it = receivers.find(window);
        return it == receivers.end() ? window : it->second;
    }
    Sent Send(Handle window, const StatusRecord& r, Ms bound) override {
        if (auto hook = whileSending) hook(window);  // a copy: the hook may replace itself
        std::string& script = answers[window];
        const char answer = script.empty() ? 'D' : script.front();
        if (!script.empty()) script.erase(0, 1);
        const auto* p = reinterpret_cast<const std::uint8_t*>(r.lpData);
        Delivered d{window, r.dwData, std::vector<std::uint8_t>(p, p + r.cbData)};
        const Sent sent = answer == 'T' ? Sent::TimedOut : answer == 'R' ? Sent::Refused : answer == 'G' ? Sent::Gone : Sent::Delivered;
        const auto decoded = DecodeStatusRecord(d.dwData, d.bytes.data(), d.bytes.size());
        attempts.push_back({window, decoded.status ? decoded.status->field1 : Text(), sent, bound});
        if (sent == Sent::Delivered) deliveries.push_back(std::move(d));
        if (sent == Sent::Gone) {
            for (auto* list : {&topLevel, &messageOnly}) list->erase(std::remove(list->begin(), list->end(), window), list->end());
        }
        return sent;
    }
    // No thread: what is due runs here, unless the test runs it itself.
    bool StartWorker() override {
        if (!deferDelivery) Deliver();
        return false;
    }
    Clock::time_point Now() const override { return now_; }

private:
    Clock::time_point now_{};

public:
    std::uint64_t tick = 0;
    MemoryFigures memory{45, 536330240, 268435456};
    std::optional<RuntimeError> memoryError;
    Text time = u"14:05:09", date = u"09.03.2024";
    std::vector<std::string> clockReads;
    Text separator = u",";

    std::uint64_t TickCount() override { return tick; }
    MemoryFigures MemoryStatus() override {
        if (memoryError) throw *memoryError;
        return memory;
    }
    Text TimeText() override {
        clockReads.push_back("time");
        return time;
    }
    std::optional<RuntimeError> dateError;
    Text DateText() override {
        clockReads.push_back("date");
        if (dateError) throw *dateError;
        return date;
    }
    Text DecimalSeparator() override { return separator; }

    // The automation object: what "regread" returns, or the error it raises.
    AutomationValue registryValue = std::int64_t{2394};
    std::optional<RuntimeError> automationError;
    std::vector<std::u16string> automationCalls;
    AutomationValue InvokeByName(const Text& progId, const Text& method, const Text& argument) override {
        automationCalls.push_back(progId + u"|" + method + u"|" + argument);
        if (automationError) throw *automationError;
        return registryValue;
    }

    // The notification area: icons by (window, id), with picture and tip,
    // and each request in order. refuseAdd: the shell shows no icon.
    struct Icon {
        Handle picture;
        Text tip;
    };
    std::map<std::pair<Handle, std::uint32_t>, Icon> icons;
    std::vector<std::string> trayCalls;
    bool refuseAdd = false;
    bool ShowTrayIcon(Handle owner, std::uint32_t id, Handle picture, const Text& tip) override {
        trayCalls.push_back("show");
        if (refuseAdd) return false;
        icons[{owner, id}] = Icon{picture, tip};
        return true;
    }
    bool RemoveTrayIcon(Handle owner, std::uint32_t id) override {
        trayCalls.push_back("remove");
        return icons.erase({owner, id}) > 0;
    }
    void FocusTrayIcon(Handle owner, std::uint32_t id) override {
        trayCalls.push_back(icons.count({owner, id}) ? "focus" : "focus on no icon");
    }

    int captureReleases = 0;
    std::vector<Handle> captionPresses;
    std::vector<std::pair<Text, int>> launches;
    std::vector<std::pair<Text, Text>> messageBoxes;
    std::optional<int> endedWith;

    void ReleaseMouseCapture() override { ++captureReleases; }
    void SendCaptionPress(Handle window) override { captionPresses.push_back(window); }
    bool launchWorks = true;
    bool Launch(const Text& commandLine, int style) override {
        launches.emplace_back(commandLine, style);
        return launchWorks;
    }
    // Runs while a message box is up, as timer ticks and clicks would.
    std::function<void()> whileMessageShown;
    void ShowMessage(const Text& text, const Text& caption) override {
        messageBoxes.emplace_back(text, caption);
        if (whileMessageShown) whileMessageShown();
    }
    void EndProgram(int exitCode) override { endedWith = exitCode; }
    // The menu: what it offered and where, and the item the user picks (0: none).
    std::vector<std::vector<Text>> menus;
    std::vector<std::optional<ScreenPoint>> menuPlaces;
    int menuChoice = 0;
    int ChooseFromMenu(const std::vector<Text>& items, std::optional<ScreenPoint> at) override {
        menus.push_back(items);
        menuPlaces.push_back(at);
        return menuChoice;
    }
    Text WindowsFolder() override { return u"C:\\WINDOWS"; }
};

}  // namespace velkora::testing
