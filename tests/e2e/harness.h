// Drives the real Velkora.exe and status-monitor.exe from a test process
// under Wine (or Windows): starts them, finds the window's controls, clicks
// them the way a user's input would arrive, and reads what the receiver got.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <string>
#include <vector>

#include "platform/text.h"

namespace velkora::e2e {

std::wstring BinDir();                  // where Velkora.exe and status-monitor.exe are
std::wstring TempPath(const std::wstring& stem);
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs);

// What the host's /proc says of a process, where Wine reports nothing of
// another process (CPU time, private memory): its files are read through
// drive Z:. A process is found by a tag on its command line.
namespace host {
bool UnderWine();
std::string ReadFile(const std::wstring& path);
unsigned long Pid(const std::string& needle);  // the host pid whose command line holds it; 0 when none
double CpuMs(unsigned long pid);              // user and system time, in 10 ms ticks
double RssAnonKb(unsigned long pid);
// The system's handle count of a Windows process (GetProcessHandleCount
// answers 0 under Wine, the process list does not); -1 when not found.
long HandleCount(DWORD pid);
}  // namespace host

class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process() { Kill(); }
    // showCommand, when not -1, is passed in STARTUPINFO; folder is the current one.
    bool Start(const std::wstring& commandLine, int showCommand = -1, const wchar_t* folder = nullptr);
    DWORD ExitCode() const;
    void Kill();
    bool Exited(int timeoutMs = 0) const;
    DWORD Id() const { return pi_.dwProcessId; }
    HANDLE Handle() const { return pi_.hProcess; }

private:
    PROCESS_INFORMATION pi_{};
};

// One record line of the receiver, split into its fields.
struct Received {
    std::map<std::string, std::string> fields;
    const std::string& operator[](const std::string& key) const;
    Text Field(const std::string& key) const { return FromUtf8((*this)[key]); }
};

class Receiver {
public:
    // Starts status-monitor with its own output file and waits for its windows.
    bool Start(const std::wstring& extraArguments = L"");
    std::vector<Received> Records() const;
    std::size_t Count() const { return Records().size(); }
    bool WaitForCount(std::size_t count, int timeoutMs) const;
    Process& Proc() { return process_; }

private:
    Process process_;
    std::wstring file_;
};

// Real input, as the user's hand gives it (SendInput), with a short pause
// after each event for Wine to deliver it.
namespace input {
void MoveTo(POINT screen);
void Button(POINT screen, DWORD flag);             // MOUSEEVENTF_LEFTDOWN, _RIGHTUP, ...
void Click(POINT screen, int times = 1);           // left button; two quick clicks make a double-click
void Key(WORD virtualKey, bool withControl = false);
void KeyWith(WORD modifier, WORD virtualKey);        // VK_SHIFT, VK_CONTROL, ... held around the key
void Type(const std::wstring& text);               // one UTF-16 unit per event, surrogates included
}  // namespace input

// Whether the shell shows the icon `id` of the window `owner`: a modify that
// changes nothing succeeds only for an icon that is there.
bool TrayIconShown(HWND owner, UINT id = 1);
// Deletes that icon from the shell, behind its owner's back.
bool TrayIconDeleted(HWND owner, UINT id = 1);
// The middle of the newest icon in Wine's own tray window, on the screen.
POINT TrayIconPoint();
// Where the popup menu of `window`'s thread is, once it is up (3 s at most).
RECT MenuRect(HWND window);

class VelkoraApp {
public:
    // Starts Velkora.exe (which ignores its command line: `arguments` only
    // tell one process from another) and waits for its visible window; with
    // a show command (STARTUPINFO), for its window visible or not. `folder`
    // holds the Velkora.exe to start and is the current folder.
    bool Start(const std::wstring& arguments = L"", int showCommand = -1, const std::wstring& folder = BinDir());
    HWND Main() const { return main_; }
    HWND Child(const char* name) const;
    RECT LabelRect(const char* name) const;           // client pixels at the window's DPI
    POINT ScreenPoint(const char* name) const;        // the middle of a control or label, on the screen
    void Click(const char* name) const;                // a button, check box or option button
    void ClickLabel(const char* name) const;           // a windowless label: press and release over it
    void PressOn(const char* name, UINT down, UINT up) const;
    void Sync() const;                                 // returns once the window has handled what was sent
    Text TextOf(const char* name) const;
    bool Enabled(const char* name) const { return IsWindowEnabled(Child(name)) != FALSE; }
    int Dpi() const { return dpi_; }
    Process& Proc() { return process_; }

private:
    Process process_;
    HWND main_ = nullptr;
    int dpi_ = 96;
};

}  // namespace velkora::e2e
