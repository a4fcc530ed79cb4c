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
    // Messenger windows, in the order the walk yields them.
    std::vector<Handle> topLevel;
    std::vector<Handle> messageOnly;
    std::vector<Delivered> deliveries;

    Handle FindMessengerWindow(WindowScope scope, Handle after) override {
        const auto& list = scope == WindowScope::TopLevel ? topLevel : messageOnly;
        if (after == 0) return list.empty() ? 0 : list.front();
        auto it = std::find(list.begin(), list.end(), after);
        return it == list.end() || ++it == list.end() ? 0 : *it;
    }
    // Delivery in memory. Each post is served at once on the caller's thread,
    // unless deferWorkers is set: then a started worker waits in
    // startedWorkers until RunWorkers(). whileSending runs inside each send,
    // as what other threads do meanwhile. Windows in hungWindows time out;
    // those in closeOnReceive close as soon as they are served.
    bool deferWorkers = false;
    std::vector<Handle> startedWorkers;
    std::function<void(Handle)> whileSending;
    std::set<Handle> hungWindows;
    std::set<Handle> closeOnReceive;
    std::vector<Handle> attempts;

    Courier& Delivery() override { return *this; }
    void RunWorkers() {
        while (!startedWorkers.empty()) RunWorker(startedWorkers.front());
    }
    void RunWorker(Handle window) {
        startedWorkers.erase(std::find(startedWorkers.begin(), startedWorkers.end(), window));
        Serve(window);
    }
    bool StartWorker(Handle window) override {
        if (deferWorkers) startedWorkers.push_back(window);
        else Serve(window);
        return true;
    }
    Sent Send(Handle window, const StatusRecord& r) override {
        attempts.push_back(window);
        if (auto hook = whileSending) hook(window);  // a copy: the hook may replace itself
        if (hungWindows.count(window)) return Sent::TimedOut;
        const auto* p = reinterpret_cast<const std::uint8_t*>(r.lpData);
        deliveries.push_back({window, r.dwData, std::vector<std::uint8_t>(p, p + r.cbData)});
        if (closeOnReceive.count(window)) {
            for (auto* list : {&topLevel, &messageOnly}) list->erase(std::remove(list->begin(), list->end(), window), list->end());
        }
        return Sent::Delivered;
    }
    std::chrono::milliseconds Linger() const override { return std::chrono::milliseconds(0); }

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
