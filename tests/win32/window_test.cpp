// The real window, made in this process with the program's own resources,
// where a test must hand it what Wine never gives a window: a monitor of
// another DPI than the system's.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "harness.h"
#include "platform/win32_platform.h"
#include "window/appearance.h"
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

// High contrast, which Wine never turns on, stands in for here; the system's
// colours are set for real (SetSysColors), so that the system's own controls
// draw in them too, as they do on Windows.
bool g_highContrast = false;
bool TestHighContrast() { return g_highContrast; }

struct Colors {
    std::vector<int> ids;
    std::vector<COLORREF> values;
    static Colors Now() {
        Colors c;
        for (int i = 0; i <= COLOR_MENUBAR; ++i) {  // every colour the system has
            c.ids.push_back(i);
            c.values.push_back(GetSysColor(i));
        }
        return c;
    }
    // Every colour `back`, those for text `text`, the link and grey text their own.
    static Colors Scheme(COLORREF back, COLORREF text, COLORREF link, COLORREF grey) {
        Colors c = Now();
        for (std::size_t i = 0; i < c.ids.size(); ++i) {
            switch (c.ids[i]) {
                case COLOR_WINDOWTEXT: case COLOR_BTNTEXT: case COLOR_CAPTIONTEXT: case COLOR_MENUTEXT: case COLOR_INFOTEXT:
                case COLOR_BTNHIGHLIGHT: case COLOR_3DDKSHADOW: case COLOR_WINDOWFRAME: case COLOR_HIGHLIGHT:
                    c.values[i] = text;
                    break;
                case COLOR_HOTLIGHT: c.values[i] = link; break;
                case COLOR_GRAYTEXT: case COLOR_BTNSHADOW: c.values[i] = grey; break;
                default: c.values[i] = back; break;
            }
        }
        return c;
    }
    void Set() const { SetSysColors(static_cast<int>(ids.size()), ids.data(), values.data()); }
};

// The window's client area as the screen shows it.
struct Picture {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    COLORREF At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};
Picture Shoot(HWND window) {
    UpdateWindow(window);
    for (int i = 0; i < 10; ++i) {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
        Sleep(30);
    }
    RECT r;
    GetClientRect(window, &r);
    Picture p{r.right, r.bottom, {}};
    HDC screen = GetDC(window), memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    GdiFlush();
    for (int i = 0; i < r.right * r.bottom; ++i) {
        const DWORD v = static_cast<const DWORD*>(bits)[i];
        p.pixels.push_back(RGB((v >> 16) & 255, (v >> 8) & 255, v & 255));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return p;
}

// Whether `c` lies between `back` and `text`, as an anti-aliased edge of text does.
bool Blend(COLORREF c, COLORREF back, COLORREF text) {
    const int channels[3][3] = {{GetRValue(c), GetRValue(back), GetRValue(text)},
                                {GetGValue(c), GetGValue(back), GetGValue(text)},
                                {GetBValue(c), GetBValue(back), GetBValue(text)}};
    double share = -1;
    for (const auto& ch : channels) {
        if (ch[1] == ch[2]) {
            if (std::abs(ch[0] - ch[1]) > 8) return false;
            continue;
        }
        const double s = static_cast<double>(ch[0] - ch[1]) / (ch[2] - ch[1]);
        if (s < -0.05 || s > 1.05 || (share >= 0 && std::abs(s - share) > 0.1)) return false;
        share = s;
    }
    return true;
}

RECT PixelsOf(const ControlSpec& s) {
    return RECT{MulDiv(s.left, 96, 1440), MulDiv(s.top, 96, 1440), MulDiv(s.left + s.width, 96, 1440),
                MulDiv(s.top + s.height, 96, 1440)};
}

// Under a scheme of high contrast every label, button and box is drawn in
// its pair of the system's colours (text or its blend with the background),
// no colour of the description is left but in the banner's picture, and
// changed system colours are drawn at once; turned off again, the window is
// as it was, to the pixel.
TEST_F(RealWindow, UnderHighContrastEveryColourIsTheSystems) {
    const Colors saved = Colors::Now();
    struct Restore {
        const Colors& colors;
        ~Restore() {
            colors.Set();
            g_highContrast = false;
        }
    } restore{saved};
    MainWindow window(platform, DpiOfWindow, TestHighContrast);
    window.Create(GetModuleHandleW(nullptr), SW_SHOWNORMAL);
    const Picture before = Shoot(window.Hwnd());
    const int banner = MulDiv(495, 96, 1440);
    struct Case {
        const char* scheme;
        COLORREF back, text, link, grey;
    };
    for (const Case& c : {Case{"black, white and yellow", RGB(0, 0, 0), RGB(255, 255, 255), RGB(255, 255, 0), RGB(0, 255, 0)},
                          Case{"white, black and blue", RGB(255, 255, 255), RGB(0, 0, 0), RGB(0, 0, 255), RGB(96, 96, 96)}}) {
        SCOPED_TRACE(c.scheme);
        g_highContrast = true;
        Colors::Scheme(c.back, c.text, c.link, c.grey).Set();  // SetSysColors tells every window
        const Picture shot = Shoot(window.Hwnd());
        if (const char* folder = std::getenv("VELKORA_SHOTS")) {  // for the README's picture
            const std::string path = std::string(folder) + "/high-contrast-" + std::to_string(c.back) + ".ppm";
            if (FILE* f = std::fopen(path.c_str(), "wb")) {
                std::fprintf(f, "P6\n%d %d\n255\n", shot.width, shot.height);
                for (COLORREF v : shot.pixels) std::fprintf(f, "%c%c%c", GetRValue(v), GetGValue(v), GetBValue(v));
                std::fclose(f);
            }
        }
        // No fixed colour of the description is left below the banner.
        const COLORREF fixed[] = {RGB(224, 224, 224), RGB(128, 0, 0), RGB(255, 0, 0), RGB(64, 64, 64), RGB(255, 224, 192),
                                  RGB(128, 128, 128)};
        int left = 0;
        for (int y = banner; y < shot.height; ++y)
            for (int x = 0; x < shot.width; ++x)
                for (COLORREF f : fixed) left += shot.At(x, y) == f;
        EXPECT_EQ(left, 0) << "pixels in a colour of the description";
        // Every pixel of every label, button and box below the banner is
        // the background, a text colour of the scheme, or a blend of the two.
        for (const ControlSpec& s : Form1Layout()) {
            if (BeyondTheEdge(s) || !s.visible || s.kind == Kind::Image || s.kind == Kind::Line || s.kind == Kind::PictureBox ||
                s.top < 495)
                continue;
            RECT r = PixelsOf(s);
            if (s.kind != Kind::Label) InflateRect(&r, -3, -3);  // inside the edges the system draws
            int stray = 0;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < std::min<int>(r.right, shot.width); ++x) {
                    const COLORREF p = shot.At(x, y);
                    stray += !(Blend(p, c.back, c.text) || Blend(p, c.back, c.link) || Blend(p, c.back, c.grey));
                }
            EXPECT_EQ(stray, 0) << s.name;
        }
        // "Beni Gizle |" and "X" lie on the banner with the scheme's background behind their text.
        for (const char* name : {"Label14", "Label71"}) {
            const RECT r = PixelsOf(*FindSpec(name));
            int back = 0, text = 0;
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x) {
                    back += shot.At(x, y) == c.back;
                    text += shot.At(x, y) == c.text;
                }
            EXPECT_GT(back, 0) << name;
            EXPECT_GT(text, 0) << name;
        }
    }
    saved.Set();
    g_highContrast = false;
    SendMessageW(window.Hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    const Picture after = Shoot(window.Hwnd());
    ASSERT_EQ(after.pixels.size(), before.pixels.size());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < after.pixels.size(); ++i) differ += after.pixels[i] != before.pixels[i];
    EXPECT_EQ(differ, 0u) << "turned off again";
}

}  // namespace
}  // namespace velkora
