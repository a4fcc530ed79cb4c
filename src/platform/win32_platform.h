// The Win32 backing of the platform interface: the real calls.
#pragma once

#include <windows.h>

#include "platform/platform.h"

namespace velkora {

class Win32Platform final : public Platform {
public:
    // How long one messenger window may take to handle a status record.
    static constexpr UINT kSendTimeoutMs = 2000;

    void SetOwner(HWND owner) { owner_ = owner; }

    Handle FindMessengerWindow(WindowScope scope, Handle after) override;
    bool SendStatusRecord(Handle window, const StatusRecord& record) override;
    std::uint64_t WindowThread(Handle window) override;
    std::uint64_t TickCount() override;
    MemoryFigures MemoryStatus() override;
    Text TimeText() override;
    Text DateText() override;
    Text DecimalSeparator() override;
    AutomationValue InvokeByName(const Text& progId, const Text& method, const Text& argument) override;
    bool NotifyIcon(std::uint32_t message, const std::vector<std::uint8_t>& record) override;
    std::string ToAnsi(const Text& text) override;
    void ReleaseMouseCapture() override;
    void SendCaptionPress(Handle window) override;
    bool Launch(const Text& commandLine, int windowStyle) override;
    void ShowMessage(const Text& text, const Text& caption) override;
    void EndProgram(int exitCode) override;

private:
    HWND owner_ = nullptr;
};

// Raises the run-time error "cannot perform" for a call the system refused,
// naming what failed and the system's reason (GetLastError).
[[noreturn]] void RaiseSystemError(const Text& what);

inline HWND ToHwnd(Handle h) { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(h)); }
inline Handle FromHwnd(HWND h) { return static_cast<Handle>(reinterpret_cast<std::uintptr_t>(h)); }

}  // namespace velkora
