#include "window/win32_main_window.h"

#include <commctrl.h>
#include <olectl.h>
#include <windowsx.h>

#include "resource_ids.h"

namespace velkora {

namespace {

struct FontFace {
    const wchar_t* face;
    int hundredthsOfPoint;  // 8.25 pt is 825
    int weight;
    bool underline;
    BYTE charset;
};

FontFace FaceOf(FontId id) {
    switch (id) {
        case FontId::Tahoma975: return {L"Tahoma", 975, FW_NORMAL, false, TURKISH_CHARSET};
        case FontId::SansSerifBold825: return {L"MS Sans Serif", 825, FW_BOLD, false, TURKISH_CHARSET};
        case FontId::Georgia825: return {L"Georgia", 825, FW_NORMAL, false, ANSI_CHARSET};
        case FontId::VerdanaUnderline825: return {L"Verdana", 825, FW_NORMAL, true, TURKISH_CHARSET};
        case FontId::Arial825: return {L"Arial", 825, FW_NORMAL, false, TURKISH_CHARSET};
        case FontId::Default: break;
    }
    return {L"MS Sans Serif", 825, FW_NORMAL, false, TURKISH_CHARSET};
}

// Every Turkish letter of every caption must render: a face that lacks one
// of them gives way to a close face that has them all.
bool HasTurkishLetters(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    const wchar_t letters[] = L"ğĞıİşŞçÇöÖüÜ";
    WORD glyphs[ARRAYSIZE(letters)] = {};
    const DWORD n = GetGlyphIndicesW(dc, letters, ARRAYSIZE(letters) - 1, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    bool all = n != GDI_ERROR;
    for (DWORD i = 0; all && i < ARRAYSIZE(letters) - 1; ++i) all = glyphs[i] != 0xFFFF;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return all;
}

}  // namespace

Win32Fonts::~Win32Fonts() {
    for (auto& [id, font] : fonts_) DeleteObject(font);
}

HFONT Win32Fonts::Get(FontId id) {
    if (auto it = fonts_.find(id); it != fonts_.end()) return it->second;
    const FontFace f = FaceOf(id);
    const int height = -MulDiv(f.hundredthsOfPoint, dpi_, 7200);
    auto create = [&](const wchar_t* face) {
        return CreateFontW(height, 0, 0, 0, f.weight, FALSE, f.underline, FALSE, f.charset, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    };
    HFONT font = nullptr;
    for (const wchar_t* face : {f.face, L"Microsoft Sans Serif", L"Tahoma"}) {
        font = create(face);
        if (font && HasTurkishLetters(font)) break;
        if (font) DeleteObject(font);
        font = nullptr;
    }
    if (!font) font = create(L"Arial");  // the last resort, whatever it lacks
    fonts_[id] = font;
    return font;
}

HBITMAP LoadJpegResource(HINSTANCE instance, int resourceId, int width, int height) {
    HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    if (!info) return nullptr;
    const DWORD size = SizeofResource(instance, info);
    const void* bytes = LockResource(LoadResource(instance, info));
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!bytes || !copy) return nullptr;
    memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return nullptr;
    }
    IPicture* picture = nullptr;
    const HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, __uuidof(IPicture), reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || !picture) return nullptr;

    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture->get_Width(&hmWidth);
    picture->get_Height(&hmHeight);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(dc, bitmap);
    picture->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    picture->Release();
    return bitmap;
}

MainWindow::~MainWindow() {
    form_.reset();
    if (hwnd_) DestroyWindow(hwnd_);
    for (auto& [color, brush] : brushes_) DeleteObject(brush);
    if (banner_) DeleteObject(banner_);
}

bool MainWindow::Create(HINSTANCE instance, int showCommand) {
    instance_ = instance;
    HDC screen = GetDC(nullptr);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);

    icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VELKORA), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                          GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    smallIcon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VELKORA), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    hand_ = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_HAND_POINTER));
    if (!hand_) hand_ = LoadCursorW(nullptr, IDC_HAND);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");

    const wchar_t* className = reinterpret_cast<const wchar_t*>(kMainWindowClass);
    RegisterClassOnce(instance, className, 0, LoadCursorW(nullptr, IDC_ARROW), icon_, smallIcon_);

    // No title bar, no system buttons, a fixed size: the banner stands in for
    // the caption.
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, Px(kFormWidthTwips), Px(kFormHeightTwips)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - width) / 2;
    const int y = work.top + (work.bottom - work.top - height) / 2;
    if (!CreateWindowFor(exStyle, className, L"", style, x, y, width, height, nullptr, nullptr, instance)) return false;

    // The window is hidden until its load handler has run.
    form_->Form.Load();
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return true;
}

Control* MainWindow::Find(std::string_view name) {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second.get();
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // A registered message has no fixed number to switch on.
    if (message == taskbarCreated_ && taskbarCreated_ != 0) return OnTaskbarCreated();
    switch (message) {
        case WM_CREATE: return OnCreate();
        case WM_DESTROY: return OnDestroy();
        case WM_PAINT: return OnPaint();
        case WM_ERASEBKGND: return 1;
        case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_TIMER: return OnTimer(static_cast<UINT_PTR>(wParam));
        case WM_LBUTTONDOWN: return OnLeftButtonDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_RBUTTONDOWN: return OnMouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_MBUTTONDOWN: return OnMouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_LBUTTONUP: return OnLeftButtonUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_SETCURSOR: return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), message, wParam, lParam);
        case WM_CTLCOLORSTATIC: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        case WM_CTLCOLOREDIT: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        case WM_CTLCOLORLISTBOX: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        case WM_CTLCOLORBTN: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        case WM_DRAWITEM: return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case DM_GETDEFID: return OnGetDefaultId();
        case WM_ACTIVATE: return OnActivate(LOWORD(wParam));
        default: return Default(message, wParam, lParam);
    }
}

LRESULT MainWindow::OnCreate() {
    platform_.SetOwner(hwnd_);
    fonts_ = std::make_unique<Win32Fonts>(dpi_);
    CreateControls();
    form_ = std::make_unique<Form1>(platform_, static_cast<ControlSet&>(*this));
    return 0;
}

LRESULT MainWindow::OnDestroy() {
    PostQuitMessage(0);
    return 0;
}

RECT MainWindow::PixelRect(const ControlSpec& s) const {
    if (s.kind == Kind::Line) return RECT{Px(s.left), Px(s.top), Px(s.width) + 1, Px(s.height) + 1};
    return RECT{Px(s.left), Px(s.top), Px(s.left + s.width), Px(s.top + s.height)};
}

HWND MainWindow::CreateChild(const ControlSpec& s, int id) {
    const RECT r = PixelRect(s);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (s.visible ? WS_VISIBLE : 0) | (s.enabled ? 0 : WS_DISABLED);
    DWORD exStyle = 0;
    const wchar_t* cls = L"BUTTON";
    const bool onScreen = s.left < kFormWidthTwips;
    switch (s.kind) {
        case Kind::CheckBox: style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
        case Kind::OptionButton: style |= BS_RADIOBUTTON | WS_TABSTOP; break;
        case Kind::CommandButton:
            style |= WS_TABSTOP | (s.graphical ? BS_OWNERDRAW : BS_PUSHBUTTON);
            break;
        case Kind::TextBox:
            cls = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            exStyle |= onScreen ? WS_EX_CLIENTEDGE : 0;
            break;
        case Kind::ListBox:
            cls = L"LISTBOX";
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
            exStyle |= WS_EX_CLIENTEDGE;
            break;
        default: return nullptr;
    }
    const std::wstring text = s.text ? Wide(s.text) : std::wstring();
    HWND child = CreateWindowExW(exStyle, cls, text.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                                 hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->Get(s.font)), FALSE);
    if (s.kind == Kind::TextBox && s.maxLength > 0) SendMessageW(child, EM_LIMITTEXT, static_cast<WPARAM>(s.maxLength), 0);
    return child;
}

void MainWindow::CreateControls() {
    const auto layout = Form1Layout();
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const ControlSpec& s = layout[i];
        const int id = kFirstControlId + static_cast<int>(i);
        specsById_[id] = &s;
        const RECT r = PixelRect(s);
        switch (s.kind) {
            case Kind::Label: {
                auto label = std::make_unique<Win32Label>(hwnd_, r, s.text ? Text(s.text) : Text());
                windowless_.push_back({&s, label.get(), r});
                controls_.emplace(s.name, std::move(label));
                break;
            }
            case Kind::Image: {
                auto image = std::make_unique<Win32Image>(hwnd_, r);
                windowless_.push_back({&s, image.get(), r});
                controls_.emplace(s.name, std::move(image));
                break;
            }
            case Kind::Line: windowless_.push_back({&s, nullptr, r}); break;
            case Kind::PictureBox: {
                auto picture = std::make_unique<Win32PictureBox>(hwnd_, instance_, id, r, s.visible, smallIcon_);
                controls_.emplace(s.name, std::move(picture));
                break;
            }
            case Kind::CheckBox: {
                auto box = std::make_unique<Win32CheckBox>(CreateChild(s, id));
                auto* raw = box.get();
                commands_[id] = [raw](int code) {
                    if (code == BN_CLICKED && raw->Click) raw->Click();
                };
                controls_.emplace(s.name, std::move(box));
                break;
            }
            case Kind::OptionButton: {
                auto option = std::make_unique<Win32OptionButton>(CreateChild(s, id), s.index);
                auto* raw = option.get();
                raw->Check(options_.empty());  // the first of the group starts selected
                options_.push_back(raw);
                commands_[id] = [this, raw](int code) {
                    if (code != BN_CLICKED) return;
                    SelectOption(*raw);
                    if (raw->Click) raw->Click(raw->Index);
                };
                controls_.emplace(s.name, std::move(option));
                break;
            }
            case Kind::TextBox:
                controls_.emplace(s.name, std::make_unique<Win32TextBox>(CreateChild(s, id)));
                break;
            case Kind::CommandButton: {
                auto button = std::make_unique<Win32CommandButton>(CreateChild(s, id));
                auto* raw = button.get();
                if (s.isDefault) defaultButton_ = raw->Hwnd();
                commands_[id] = [raw](int code) {
                    if (code == BN_CLICKED && raw->Click) raw->Click();
                };
                controls_.emplace(s.name, std::move(button));
                break;
            }
            case Kind::ListBox: {
                auto list = std::make_unique<Win32ListBox>(CreateChild(s, id));
                auto* raw = list.get();
                for (const char16_t* phrase : DefaultPhrases())
                    SendMessageW(raw->Hwnd(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(phrase).c_str()));
                commands_[id] = [raw](int code) {
                    if (code == LBN_SELCHANGE && raw->Click) raw->Click();
                };
                controls_.emplace(s.name, std::move(list));
                break;
            }
        }
        if (s.tooltip) {
            tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
            std::wstring tip = Wide(s.tooltip);
            TOOLINFOW info{};
            info.cbSize = sizeof info;
            info.uFlags = TTF_SUBCLASS;
            info.hwnd = hwnd_;
            info.uId = static_cast<UINT_PTR>(id);
            info.rect = r;
            info.lpszText = tip.data();
            SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
    }
    UINT_PTR timerId = 1;
    for (const TimerSpec& t : Form1Timers()) {
        auto timer = std::make_unique<Win32Timer>(hwnd_, timerId++, t.interval);
        timer->SetEnabled(t.enabled);
        timers_.push_back(timer.get());
        controls_.emplace(t.name, std::move(timer));
    }
    controls_.emplace("Form1", std::make_unique<Win32Form>(hwnd_));
}

void MainWindow::SelectOption(Win32OptionButton& chosen) {
    for (Win32OptionButton* option : options_) option->Check(option == &chosen);
}

COLORREF MainWindow::ColorOf(Color c, COLORREF fallback) const {
    switch (c.type) {
        case Color::Type::Rgb: return RGB(c.r, c.g, c.b);
        case Color::Type::System: return GetSysColor(c.systemIndex);
        case Color::Type::Default: break;
    }
    return fallback;
}

HBRUSH MainWindow::Brush(Color c) {
    const COLORREF color = ColorOf(c, GetSysColor(COLOR_WINDOW));
    auto it = brushes_.find(color);
    if (it != brushes_.end()) return it->second;
    HBRUSH brush = CreateSolidBrush(color);
    brushes_[color] = brush;
    return brush;
}

void MainWindow::PaintBanner(HDC dc, const RECT& r) {
    if (!banner_) banner_ = LoadJpegResource(instance_, IDR_BANNER, r.right - r.left, r.bottom - r.top);
    if (!banner_) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, banner_);
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

LRESULT MainWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    // Drawn off screen first, so that a caption changing every second does not flicker.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP buffer = CreateCompatibleBitmap(target, client.right, client.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, buffer);
    FillRect(dc, &client, Brush(kFormBack));
    SetBkMode(dc, TRANSPARENT);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(128, 128, 128));
    for (const Windowless& w : windowless_) {
        switch (w.spec->kind) {
            case Kind::Image: PaintBanner(dc, w.rect); break;
            case Kind::Line: {
                HGDIOBJ oldPen = SelectObject(dc, pen);
                MoveToEx(dc, w.rect.left, w.rect.top, nullptr);
                LineTo(dc, w.rect.right - 1, w.rect.bottom - 1);
                SelectObject(dc, oldPen);
                break;
            }
            default: {
                const auto* label = static_cast<const Win32Label*>(w.control);
                const std::wstring caption = Wide(label->Caption());
                HGDIOBJ oldFont = SelectObject(dc, fonts_->Get(w.spec->font));
                SetTextColor(dc, ColorOf(w.spec->fore, GetSysColor(COLOR_WINDOWTEXT)));
                RECT r = w.rect;
                // A label with room for two lines wraps its words; a one-line
                // label keeps its text on one line, even past its right edge.
                TEXTMETRICW metrics{};
                GetTextMetricsW(dc, &metrics);
                const bool wraps = r.bottom - r.top >= 2 * metrics.tmHeight;
                const UINT align = w.spec->align == Align::Center ? DT_CENTER : DT_LEFT;
                DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &r,
                          DT_NOPREFIX | align | (wraps ? DT_WORDBREAK : DT_SINGLELINE | DT_NOCLIP));
                SelectObject(dc, oldFont);
            }
        }
    }
    DeleteObject(pen);
    BitBlt(target, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
           ps.rcPaint.bottom - ps.rcPaint.top, dc, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
    SelectObject(dc, oldBitmap);
    DeleteObject(buffer);
    DeleteDC(dc);
    EndPaint(hwnd_, &ps);
    return 0;
}

LRESULT MainWindow::OnCommand(int id, int code) {
    auto it = commands_.find(id);
    if (it != commands_.end()) it->second(code);
    return 0;
}

LRESULT MainWindow::OnTimer(UINT_PTR id) {
    if (id >= 1 && id <= timers_.size()) {
        Win32Timer* timer = timers_[id - 1];
        if (timer->Enabled() && timer->Tick) timer->Tick();
    }
    return 0;
}

const MainWindow::Windowless* MainWindow::HitTest(int x, int y) const {
    // The last drawn lies on top: labels over the banner take the press.
    const POINT p{x, y};
    for (auto it = windowless_.rbegin(); it != windowless_.rend(); ++it)
        if (it->control && PtInRect(&it->rect, p)) return &*it;
    return nullptr;
}

LRESULT MainWindow::OnMouseDown(int x, int y) {
    const Windowless* hit = HitTest(x, y);
    if (hit && hit->spec->kind == Kind::Image) {
        auto* image = static_cast<Win32Image*>(hit->control);
        if (image->MouseDown) image->MouseDown();
    }
    return 0;
}

LRESULT MainWindow::OnLeftButtonDown(int x, int y) {
    const Windowless* hit = HitTest(x, y);
    if (hit && hit->spec->kind == Kind::Label) {
        pressed_ = hit;  // a label's click comes on release over the same label
        SetCapture(hwnd_);
        return 0;
    }
    return OnMouseDown(x, y);
}

LRESULT MainWindow::OnLeftButtonUp(int x, int y) {
    const Windowless* pressed = pressed_;
    pressed_ = nullptr;
    if (!pressed) return 0;
    ReleaseCapture();
    const POINT p{x, y};
    auto* label = static_cast<Win32Label*>(pressed->control);
    if (PtInRect(&pressed->rect, p) && label->Enabled() && label->Click) label->Click();
    return 0;
}

LRESULT MainWindow::OnSetCursor(HWND hwnd, int hitTest, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd == hwnd_ && hitTest == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        const Windowless* hit = HitTest(p.x, p.y);
        if (hit && hit->spec->handCursor) {
            SetCursor(hand_);
            return TRUE;
        }
    }
    return Default(message, wParam, lParam);
}

LRESULT MainWindow::OnControlColor(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto it = specsById_.find(GetDlgCtrlID(control));
    if (it == specsById_.end() || it->second->back.type == Color::Type::Default) return Default(message, wParam, lParam);
    const ControlSpec& s = *it->second;
    const bool enabled = IsWindowEnabled(control) != FALSE;
    SetTextColor(dc, enabled ? ColorOf(s.fore, GetSysColor(COLOR_WINDOWTEXT)) : GetSysColor(COLOR_GRAYTEXT));
    SetBkColor(dc, ColorOf(s.back, GetSysColor(COLOR_WINDOW)));
    return reinterpret_cast<LRESULT>(Brush(s.back));
}

LRESULT MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    auto it = specsById_.find(static_cast<int>(item.CtlID));
    if (it == specsById_.end()) return FALSE;
    const ControlSpec& s = *it->second;
    RECT r = item.rcItem;
    HDC dc = item.hDC;
    FillRect(dc, &r, Brush(s.back));
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool isDefault = item.hwndItem == defaultButton_;
    if (isDefault) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    DrawEdge(dc, &r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const std::wstring caption = Wide(WindowText(item.hwndItem));
    HGDIOBJ oldFont = SelectObject(dc, fonts_->Get(s.font));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : GetSysColor(COLOR_BTNTEXT));
    RECT text = r;
    if (pressed) OffsetRect(&text, 1, 1);
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    if (item.itemState & ODS_FOCUS) {
        InflateRect(&r, -4, -4);
        DrawFocusRect(dc, &r);
    }
    return TRUE;
}

LRESULT MainWindow::OnGetDefaultId() {
    // Enter presses the focused button, or else the activate button.
    HWND focus = GetFocus();
    auto it = specsById_.find(focus ? GetDlgCtrlID(focus) : 0);
    const bool buttonFocused = it != specsById_.end() && it->second->kind == Kind::CommandButton && GetParent(focus) == hwnd_;
    return MAKELRESULT(buttonFocused ? GetDlgCtrlID(focus) : GetDlgCtrlID(defaultButton_), DC_HASDEFID);
}

LRESULT MainWindow::OnActivate(int state) {
    if (state == WA_INACTIVE) {
        lastFocus_ = GetFocus();
        return 0;
    }
    HWND focus = lastFocus_ && IsChild(hwnd_, lastFocus_) && IsWindowEnabled(lastFocus_) ? lastFocus_
                                                                                       : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (focus) SetFocus(focus);
    return 0;
}

LRESULT MainWindow::OnTaskbarCreated() {
    form_->TaskbarCreated();
    return 0;
}

}  // namespace velkora
