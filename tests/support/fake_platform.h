// An in-memory platform for the core's tests: messenger windows that record
// the bytes they get, a settable clock and memory, a notification area that
// counts icons, and a log of message boxes, launches and program ends.
#pragma once

#include <algorithm>
#include <cstring>
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

    // The notification area: icons by (window, id); an add of an icon that is
    // already there fails, as the shell's does, and so does a modify or delete
    // of one that is not. refuseAdd: the shell takes no icon at all;
    // addTimesOut: an add that reports failure although the icon was made.
    std::map<std::pair<std::uint64_t, std::uint32_t>, std::vector<std::uint8_t>> icons;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> notifyCalls;
    bool refuseAdd = false;
    bool addTimesOut = false;
    bool NotifyIcon(std::uint32_t message, const std::vector<std::uint8_t>& record) override {
        notifyCalls.emplace_back(message, record);
        std::uint64_t hwnd = 0;
        std::uint32_t id = 0;
        const std::size_t ptr = sizeof(void*);  // records are built for this build's pointers
        std::memcpy(&hwnd, record.data() + ptr, ptr);
        std::memcpy(&id, record.data() + 2 * ptr, 4);
        auto key = std::make_pair(hwnd, id);
        switch (message) {
            case 0:
                if (refuseAdd || icons.count(key)) return false;
                icons[key] = record;
                return !addTimesOut;
            case 1:
                if (!icons.count(key)) return false;
                icons[key] = record;
                return true;
            case 4: return icons.count(key) > 0;
            default: return icons.erase(key) > 0;
        }
    }
    std::string ToAnsi(const Text& text) override {
        std::string out;
        for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        return out;
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
    // The menu: what it offered, and the item the user picks (0: none).
    std::vector<std::vector<Text>> menus;
    int menuChoice = 0;
    int ChooseFromMenu(const std::vector<Text>& items) override {
        menus.push_back(items);
        return menuChoice;
    }
    Text WindowsFolder() override { return u"C:\\WINDOWS"; }
};

}  // namespace velkora::testing
