// The main window on Win32: the window itself, which owns its controls (made
// from the window's description, Form1Controls), paints the windowless ones
// (labels, lines, the banner) and passes them the presses they take, runs the
// timers, and answers a screen reader for the client area. The window base
// reflects each child control's messages to the control.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/win32_platform.h"
#include "platform/win32_text.h"
#include "window/form1.h"
#include "window/win32_accessible.h"
#include "window/win32_controls.h"
#include "window/win32_dpi.h"
#include "window/win32_form1_controls.h"
#include "window/win32_paint.h"
#include "window/win32_window_base.h"

namespace velkora {

class MainWindow final : public Window {
public:
    // `dpiOf` tells the DPI a window is shown at, `highContrastOn` whether
    // the user has high contrast on (tests stand in for a monitor of another
    // DPI and for the setting, which Wine never turns on, with them).
    using DpiOf = int (*)(HWND);
    using HighContrastOf = bool (*)();
    explicit MainWindow(Win32Platform& platform, DpiOf dpiOf = DpiOfWindow, HighContrastOf highContrastOn = HighContrastOn)
        : platform_(platform), dpiOf_(dpiOf), highContrastOn_(highContrastOn) {}
    ~MainWindow() override;

    // Creates the window and its controls, raises the load event, then shows
    // the window. Raises an error when the system refuses any of it.
    void Create(HINSTANCE instance, int showCommand);

    // What another start of the program posts the running one, with its
    // process id in wParam; the running copy sets that start's event once it
    // has come forward.
    static constexpr wchar_t kStartedAgainMessage[] = L"Velkora.StartedAgain";
    static std::wstring TakenOverEventName(DWORD process) {
        return L"Local\\Velkora.TakenOver." + Wide(WholeNumberText(process));
    }

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // A move of the window that this window runs itself: the system's move
    // follows the left button only.
    struct ButtonMove {
        int key = 0;  // the virtual key of the button that holds it; 0 when none runs
        POINT grab{};  // the pointer's offset from the window's corner
    };

    LRESULT OnCreate();
    LRESULT OnDestroy();
    LRESULT OnEndSession(bool ending);
    LRESULT OnPaint();
    LRESULT OnTimer(UINT_PTR id);
    LRESULT OnButtonDown(int key, int x, int y, bool second = false);
    LRESULT OnButtonUp(int key, int x, int y);
    LRESULT OnMouseMove();
    LRESULT OnCaptureChanged();
    LRESULT OnCaptionPress(WPARAM hitTest, UINT message, LPARAM lParam);
    LRESULT OnSetCursor(HWND hwnd, int hitTest, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDefaultId();
    LRESULT OnActivate(int state);
    LRESULT OnUpdateUiState(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);
    LRESULT OnRegistered(UINT message, WPARAM wParam);
    LRESULT OnGetMinMaxInfo(MINMAXINFO& info);
    LRESULT OnSize(UINT kind);
    LRESULT OnRestoreSize();
    LRESULT OnAct(WPARAM painted);
    LRESULT OnEnable();
    LRESULT OnDpiChanged(WPARAM dpis, LPARAM suggested);
    LRESULT OnHandedOver();
    // The system's colours, or the high-contrast setting, may have changed:
    // read again, and drawn again at once when they did.
    LRESULT OnColorsChanged(UINT message, WPARAM wParam, LPARAM lParam);

    // The window's icons, and the notification area's picture, for one DPI.
    struct Icons {
        UniqueIcon large, small, tray;
    };
    static constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;
    static constexpr DWORD kExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    static RECT Frame(int dpi);
    Icons LoadIcons(int dpi) const;
    // Lays the window out again at `dpi`, its top-left corner at `at`, kept
    // on a monitor's work area.
    void Rescale(int dpi, POINT at);

    void FocusMoved();
    Win32CommandButton* DefaultButton() const;  // the button Enter presses now
    void EndButtonMove();

    static constexpr UINT kRestoreSize = WM_APP + 1;  // posted: a maximised window takes its size back
    static constexpr UINT_PTR kHandOverTimer = 100;   // the form's timers are numbered from 1

    Win32Platform& platform_;
    DpiOf dpiOf_;
    HighContrastOf highContrastOn_;
    HINSTANCE instance_ = nullptr;
    bool loaded_ = false;  // the load handler has run: the shell's and a second start's requests are taken
    int dpi_ = 96;
    UINT taskbarCreated_ = 0, startedAgain_ = 0;
    Win32Windowless* pressed_ = nullptr;  // waits for the release of the left button
    Win32Label* focusMark_ = nullptr;      // the label that names the focused control
    ButtonMove move_;
    HWND lastFocus_ = nullptr;
    HCURSOR hand_ = nullptr;
    Icons icons_;
    std::vector<DWORD> handOvers_;  // starts that asked, to be told they were taken
    std::shared_ptr<Form1Controls> controls_;  // a reader's objects hold it weakly
    std::unique_ptr<Form1> form_;
};

}  // namespace velkora
