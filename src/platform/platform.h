// The operating-system services Velkora uses, as the core sees them. The Win32
// backing makes the real calls; tests use an in-memory fake. Nothing here
// depends on <windows.h>.
#pragma once

#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/text.h"

namespace velkora {

// A window or icon handle as the system gives it, widened to 64 bits.
using Handle = std::uint64_t;

// The application's title: the caption of every message box.
inline constexpr char16_t kAppTitle[] = u"Velkora";

// The messenger's windows, found by this class name.
inline constexpr char kMessengerWindowClass[] = "MsnMsgrUIManager";

// A WM_COPYDATA record (COPYDATASTRUCT's fields), platform-neutral. lpData
// points at cbData bytes that must outlive the record.
struct StatusRecord {
    std::uint32_t dwData;
    std::uint32_t cbData;
    const char16_t* lpData;
};

struct MemoryFigures {
    std::uint32_t load;       // percent of physical memory in use, 0 to 100
    std::uint64_t totalPhys;  // bytes
    std::uint64_t availPhys;  // bytes
};

// A point on the screen, in pixels.
struct ScreenPoint {
    int x = 0, y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// What an automation method returns, as far as Velkora reads it.
using AutomationValue = std::variant<std::monostate, std::int64_t, double, bool, Text>;

class Courier;

class Platform {
public:
    virtual ~Platform() = default;

    // Messenger delivery: carries records to every window of class
    // "MsnMsgrUIManager" off the window's thread (courier.h).
    virtual Courier& Delivery() = 0;

    // System information.
    virtual std::uint64_t TickCount() = 0;  // milliseconds since the system started
    virtual MemoryFigures MemoryStatus() = 0;
    virtual Text TimeText() = 0;            // the current time, user locale's time format
    virtual Text DateText() = 0;            // the current date, user locale's short date format
    virtual Text DecimalSeparator() = 0;    // of the user locale
    // Creates the automation object `progId`, calls `method` by name with one
    // text argument and releases the object. Throws RuntimeError on failure.
    virtual AutomationValue InvokeByName(const Text& progId, const Text& method,
                                         const Text& argument) = 0;

    // Notification area: the icon named by its owner window and id.
    // ShowTrayIcon puts it up with the picture and tooltip (or brings it up
    // to date where the shell holds it already); false when the shell shows
    // no icon. RemoveTrayIcon is false when there was none. FocusTrayIcon
    // hands the keyboard back to the notification area, as after a menu the
    // keyboard opened on the icon.
    virtual bool ShowTrayIcon(Handle owner, std::uint32_t id, Handle picture, const Text& tip) = 0;
    virtual bool RemoveTrayIcon(Handle owner, std::uint32_t id) = 0;
    virtual void FocusTrayIcon(Handle owner, std::uint32_t id) = 0;

    // Window actions.
    virtual void ReleaseMouseCapture() = 0;
    virtual void SendCaptionPress(Handle window) = 0;  // WM_NCLBUTTONDOWN with HTCAPTION
    virtual bool Launch(const Text& commandLine, int windowStyle) = 0;  // false when it could not start
    virtual void ShowMessage(const Text& text, const Text& caption) = 0;  // OK button only
    // A small menu at a point, or at the pointer when none is given, aligned
    // as the system says; the number of the item chosen, from 1, or 0.
    virtual int ChooseFromMenu(const std::vector<Text>& items, std::optional<ScreenPoint> at) = 0;
    // The Windows folder, where the system's own programs are found.
    virtual Text WindowsFolder() = 0;
    virtual void EndProgram(int exitCode) = 0;
    // From now on a new start runs as the copy (this one is ending).
    virtual void LetAnotherCopyRun() {}

    // Shows a run-time error with its number and description.
    void ShowError(const RuntimeError& error);
    // The end of the program after an error that nothing trapped: the error
    // is shown once, as ShowError does, and the program ends with its
    // number. From the first call on Ending() is true, so that no handler
    // runs while the message is up; a second error meanwhile is dropped.
    void EndWithError(const RuntimeError& error);
    bool Ending() const { return ending_; }

private:
    bool ending_ = false;
};

}  // namespace velkora
