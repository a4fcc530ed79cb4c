// The main window on Win32: builds the controls from the window's
// description, draws the windowless ones, and turns window messages into the
// core's events.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/win32_platform.h"
#include "window/form1.h"
#include "window/win32_controls.h"
#include "window/win32_window_base.h"

namespace velkora {

class Win32Fonts {
public:
    explicit Win32Fonts(int dpi) : dpi_(dpi) {}
    Win32Fonts(const Win32Fonts&) = delete;
    Win32Fonts& operator=(const Win32Fonts&) = delete;
    ~Win32Fonts();
    HFONT Get(FontId id);

private:
    int dpi_;
    std::map<FontId, HFONT> fonts_;
};

class MainWindow final : public WindowBase<MainWindow>, private ControlSet {
public:
    explicit MainWindow(Win32Platform& platform) : platform_(platform) {}
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window and its controls, runs Form_Load, then shows it.
    bool Create(HINSTANCE instance, int showCommand);
    Form1& Form() { return *form_; }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Windowless {
        const ControlSpec* spec;
        Win32Windowless* control;  // null for a line
        RECT rect;
    };

    Control* Find(std::string_view name) override;

    LRESULT OnCreate();
    LRESULT OnDestroy();
    LRESULT OnPaint();
    LRESULT OnCommand(int id, int code);
    LRESULT OnTimer(UINT_PTR id);
    LRESULT OnMouseDown(int x, int y);
    LRESULT OnLeftButtonDown(int x, int y);
    LRESULT OnLeftButtonUp(int x, int y);
    LRESULT OnSetCursor(HWND hwnd, int hitTest, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnControlColor(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(const DRAWITEMSTRUCT& item);
    LRESULT OnGetDefaultId();
    LRESULT OnActivate(int state);
    LRESULT OnTaskbarCreated();

    int Px(int twips) const { return MulDiv(twips, dpi_, 1440); }
    RECT PixelRect(const ControlSpec& spec) const;
    void CreateControls();
    HWND CreateChild(const ControlSpec& spec, int id);
    const Windowless* HitTest(int x, int y) const;
    HBRUSH Brush(Color color);
    COLORREF ColorOf(Color color, COLORREF fallback) const;
    void PaintBanner(HDC dc, const RECT& rect);
    void SelectOption(Win32OptionButton& chosen);

    Win32Platform& platform_;
    HINSTANCE instance_ = nullptr;
    int dpi_ = 96;
    UINT taskbarCreated_ = 0;
    std::unique_ptr<Win32Fonts> fonts_;
    std::map<std::string, std::unique_ptr<Control>, std::less<>> controls_;
    std::unordered_map<int, std::function<void(int code)>> commands_;
    std::unordered_map<int, const ControlSpec*> specsById_;
    std::vector<Win32Timer*> timers_;
    std::vector<Win32OptionButton*> options_;
    std::vector<Windowless> windowless_;
    std::map<std::uint32_t, HBRUSH> brushes_;
    const Windowless* pressed_ = nullptr;
    HWND lastFocus_ = nullptr;
    HWND defaultButton_ = nullptr;
    HCURSOR hand_ = nullptr;
    HICON icon_ = nullptr, smallIcon_ = nullptr;
    HBITMAP banner_ = nullptr;
    HWND tooltip_ = nullptr;
    std::unique_ptr<Form1> form_;
};

// Loads the JPEG resource through OLE and draws it into a bitmap of the given
// size. Null when it cannot be loaded.
HBITMAP LoadJpegResource(HINSTANCE instance, int resourceId, int width, int height);

}  // namespace velkora
