// The real window, made in this process with the program's own resources,
// where a test must hand it what Wine never gives a window: a monitor of
// another DPI than the system's.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "harness.h"
#include "platform/win32_platform.h"
#include "window/form1_layout.h"
#include "window/win32_main_window.h"

namespace velkora {
namespace {

class RealWindow : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        ErrorBarrier::Install(platform);
    }
    void TearDown() override {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);  // the window's quit among them
        CoUninitialize();
    }
    Win32Platform platform;
};

int MonitorAt144(HWND) { return 144; }

// Made on a monitor of 144 DPI while the system's is 96 (its scale changed
// without signing out, a laptop docked after sign-in), the window is laid out
// for it before it is first shown, and then shows itself or its icon as the
// start state asks: never both, never neither.
TEST_F(RealWindow, MadeAtAnotherDpiShowsTheWindowOrTheIconForEachStartState) {
    for (const int show : {SW_SHOWNORMAL, SW_SHOWNOACTIVATE, SW_HIDE, SW_SHOWMINIMIZED}) {
        SCOPED_TRACE(show);
        MainWindow window(platform, MonitorAt144);
        window.Create(GetModuleHandleW(nullptr), show);
        const bool shown = IsWindowVisible(window.Hwnd()) != FALSE;
        EXPECT_EQ(shown, show == SW_SHOWNORMAL || show == SW_SHOWNOACTIVATE);
        EXPECT_NE(shown, e2e::TrayIconShown(GetDlgItem(window.Hwnd(), ControlId("picSystemTray"))));
        RECT client{};
        GetClientRect(window.Hwnd(), &client);
        EXPECT_EQ(client.right, MulDiv(kFormWidthTwips, 144, 1440));
    }
}

}  // namespace
}  // namespace velkora
