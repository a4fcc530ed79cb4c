// The Win32 backing of the platform interface: the real calls.
#pragma once

#include <windows.h>

#include <memory>

#include "platform/courier.h"
#include "platform/platform.h"
#include "platform/win32_notification_icon.h"

namespace velkora {

// Delivery on threads of the system's own (at most Courier::kMostWorkers):
// the walk (EnumWindows, then FindWindowEx for message-only windows), the
// receiving thread of a window, and the send (SendMessageTimeout). A
// worker's thread holds the courier, so that it outlives the platform
// object while the process lasts.
class Win32Courier final : public Courier, public std::enable_shared_from_this<Win32Courier> {
private:
    std::vector<Handle> Windows(WindowScope scope) override;
    std::uint64_t ReceiverOf(Handle window) override;
    Sent Send(Handle window, const StatusRecord& record, Ms bound) override;
    bool StartWorker() override;
    static DWORD WINAPI RunWorker(void* courier);
};

class Win32Platform final : public Platform {
public:
    // How long records still under way are handed over once the window is gone.
    static constexpr DWORD kFinishMs = 2000;

    void SetOwner(HWND owner) { owner_ = owner; }
    // The mark that this is the copy that runs (a mutex this thread owns);
    // let go when the window goes, so that a later start runs as the copy.
    void HoldOneCopy(HANDLE mark) { oneCopy_ = mark; }
    void LetAnotherCopyRun() override;
    // Hands over what is under way, for at most kFinishMs, while the thread
    // goes on answering what reaches it, then stops the workers; called
    // once the window is gone.
    void FinishDeliveries();

    Courier& Delivery() override { return *courier_; }
    std::uint64_t TickCount() override;
    MemoryFigures MemoryStatus() override;
    Text TimeText() override;
    Text DateText() override;
    Text DecimalSeparator() override;
    AutomationValue InvokeByName(const Text& progId, const Text& method, const Text& argument) override;
    bool ShowTrayIcon(Handle owner, std::uint32_t id, Handle picture, const Text& tip) override;
    bool RemoveTrayIcon(Handle owner, std::uint32_t id) override;
    void FocusTrayIcon(Handle owner, std::uint32_t id) override;
    void ReleaseMouseCapture() override;
    void SendCaptionPress(Handle window) override;
    bool Launch(const Text& commandLine, int windowStyle) override;
    void ShowMessage(const Text& text, const Text& caption) override;
    int ChooseFromMenu(const std::vector<Text>& items, std::optional<ScreenPoint> at) override;
    Text WindowsFolder() override;
    void EndProgram(int exitCode) override;

private:
    HWND owner_ = nullptr;
    HANDLE oneCopy_ = nullptr;
    NotificationIcon trayIcon_;
    std::shared_ptr<Win32Courier> courier_ = std::make_shared<Win32Courier>();
};

// Raises the run-time error "cannot perform" for a call the system refused,
// naming what failed and the system's reason (GetLastError).
[[noreturn]] void RaiseSystemError(const Text& what);

inline HWND ToHwnd(Handle h) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h)); }
inline Handle FromHwnd(HWND h) { return static_cast<Handle>(reinterpret_cast<std::uintptr_t>(h)); }

}  // namespace velkora
