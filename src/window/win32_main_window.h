// The main window on Win32: makes the controls from the window's description
// at the screen's DPI, draws the windowless ones (labels, lines, the banner),
// runs the timers, and hands each control's messages to the control.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32_platform.h"
#include "window/form1.h"
#include "window/win32_controls.h"
#include "window/win32_accessible.h"
#include "window/win32_paint.h"
#include "window/win32_window_base.h"

namespace velkora {

class MainWindow final : public WindowBase<MainWindow>, private ControlSet, private Win32ControlHost {
public:
    explicit MainWindow(Win32Platform& platform) : platform_(platform) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    // Creates the window and its controls, raises the load event, then shows
    // the window. Raises an error when the system refuses any of it.
    void Create(HINSTANCE instance, int showCommand);
    HWND Hwnd() const override { return hwnd_; }

    // What another start of the program sends the running one.
    static constexpr wchar_t kStartedAgainMessage[] = L"Velkora.StartedAgain";

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Windowless {
        const ControlSpec* spec;
        Win32Windowless* control;  // null for a line
        RECT rect;
    };
    // A move of the window that this window runs itself: the system's move
    // follows the left button only.
    struct ButtonMove {
        int key = 0;  // the virtual key of the button that holds it; 0 when none runs
        POINT grab{};  // the pointer's offset from the window's corner
    };

    Control* Find(std::string_view name) override;
    HINSTANCE Instance() const override { return instance_; }
    Win32Paints& Paints() override { return *paints_; }
    RECT Place(const ControlSpec& spec) const override;
    void FocusMoved() override;

    LRESULT OnCreate();
    LRESULT OnDestroy();
    LRESULT OnEndSession(bool ending);
    LRESULT OnPaint();
    LRESULT OnCommand(HWND child, int code);
    LRESULT OnControlColor(HDC dc, HWND child, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnTimer(UINT_PTR id);
    LRESULT OnButtonDown(int key, int x, int y);
    LRESULT OnButtonUp(int key, int x, int y);
    LRESULT OnMouseMove();
    LRESULT OnCaptureChanged();
    LRESULT OnCaptionPress(WPARAM hitTest, UINT message, LPARAM lParam);
    LRESULT OnSetCursor(HWND hwnd, int hitTest, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDefaultId();
    LRESULT OnActivate(int state);
    LRESULT OnUpdateUiState(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);
    LRESULT OnRegistered(UINT message);
    LRESULT OnGetMinMaxInfo(MINMAXINFO& info);
    LRESULT OnSize(UINT kind);
    LRESULT OnRestoreSize();
    Win32Child* OwnChild(HWND child) const;
    void BuildAccessibleTree();
    LRESULT OnAccessibleAction(WPARAM index);

    static constexpr UINT kRestoreSize = WM_APP + 1;  // posted: a maximised window takes its size back
    static constexpr UINT kAccessibleAction = WM_APP + 2;  // posted: a reader's default action on a label

    void CreateControls();
    void AddTooltip(const ControlSpec& spec, const RECT& rect);
    void PaintBanner(HDC dc, const RECT& rect) const;
    void PaintLabel(HDC dc, const Windowless& w, bool focusMark);
    const Windowless* HitTest(int x, int y) const;
    const Windowless* WindowlessNamed(const char* name) const;
    Win32CommandButton* DefaultButton() const;  // the button Enter presses now
    void InvalidateFocusMark();
    void EndButtonMove();

    Win32Platform& platform_;
    HINSTANCE instance_ = nullptr;
    UINT taskbarCreated_ = 0, startedAgain_ = 0;
    std::unique_ptr<Win32Paints> paints_;
    std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
    std::vector<Win32Timer*> timers_;
    std::vector<Windowless> windowless_;
    std::vector<Win32CommandButton*> buttons_;
    Win32CommandButton* activateButton_ = nullptr;  // Enter's button unless another has the focus
    const Windowless* pressed_ = nullptr;
    const Windowless* focusMark_ = nullptr;  // the label that names the focused control
    ButtonMove move_;
    HWND lastFocus_ = nullptr;
    HCURSOR hand_ = nullptr;
    UniqueIcon icon_, smallIcon_;
    UniqueGdi<HBITMAP> banner_;
    HWND tooltip_ = nullptr;  // one for every tool; goes with the window
    std::unique_ptr<Form1> form_;
    std::shared_ptr<AccessibleTree> accessibleTree_;
    std::vector<Win32Label*> accessibleLabels_;  // by element index
};

}  // namespace velkora
