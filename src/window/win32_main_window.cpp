#include "window/win32_main_window.h"

#include <commctrl.h>
#include <oleacc.h>
#include <windowsx.h>

#include <chrono>

#include "platform/courier.h"
#include "resource_ids.h"
#include "window/win32_accessible.h"

namespace velkora {

MainWindow::~MainWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::Create(HINSTANCE instance, int showCommand) {
    instance_ = instance;
    HDC screen = GetDC(nullptr);
    paints_ = std::make_unique<Win32Paints>(GetDeviceCaps(screen, LOGPIXELSX));
    ReleaseDC(nullptr, screen);

    auto loadIcon = [instance](int metricX, int metricY) {
        return UniqueIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_VELKORA), IMAGE_ICON,
                                                        GetSystemMetrics(metricX), GetSystemMetrics(metricY), LR_DEFAULTCOLOR)));
    };
    icon_ = loadIcon(SM_CXICON, SM_CYICON);
    smallIcon_ = loadIcon(SM_CXSMICON, SM_CYSMICON);
    hand_ = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_HAND_POINTER));
    if (!hand_) hand_ = LoadCursorW(nullptr, IDC_HAND);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    startedAgain_ = RegisterWindowMessageW(kStartedAgainMessage);

    const auto* className = reinterpret_cast<const wchar_t*>(kMainWindowClass);
    RegisterClassOnce(instance, className, LoadCursorW(nullptr, IDC_ARROW), icon_.get(), smallIcon_.get());

    // No title bar, no system buttons, a fixed size: the banner stands in for
    // the caption. Centred in the work area.
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, MulDiv(kFormWidthTwips, paints_->Dpi(), 1440), MulDiv(kFormHeightTwips, paints_->Dpi(), 1440)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    OffsetRect(&frame, -frame.left + work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
               -frame.top + work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2);
    if (!CreateWindowFor(exStyle, className, style, frame, nullptr, 0, instance))
        RaiseSystemError(u"Velkora penceresi oluşturulamadı");

    // A copy run as administrator still hears the shell and a second start.
    for (UINT message : {taskbarCreated_, startedAgain_}) ChangeWindowMessageFilterEx(hwnd_, message, MSGFLT_ALLOW, nullptr);

    // The window is hidden until its load handler has run. Asked to start
    // minimised or hidden (a shortcut's "Run: Minimized", a launcher), it
    // goes to the notification area as "Beni Gizle |" takes it; asked to
    // start maximised, it keeps its fixed size.
    form_->Form.Load();
    switch (showCommand) {
        case SW_HIDE: case SW_SHOWMINIMIZED: case SW_MINIMIZE: case SW_SHOWMINNOACTIVE: case SW_FORCEMINIMIZE:
            ShowWindow(hwnd_, SW_HIDE);  // the first show, so that no later one takes the start state
            if (form_->Label14.Click) form_->Label14.Click();
            break;
        default:
            ShowWindow(hwnd_, showCommand == SW_SHOWNOACTIVATE || showCommand == SW_SHOWNA ? SW_SHOWNOACTIVATE : SW_SHOWNORMAL);
            if (IsZoomed(hwnd_) || IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
            break;
    }
    UpdateWindow(hwnd_);
}

Control* MainWindow::Find(std::string_view name) {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second.get();
}

RECT MainWindow::Place(const ControlSpec& s) const {
    auto px = [this](int twips) { return MulDiv(twips, paints_->Dpi(), 1440); };
    if (s.kind == Kind::Line) return RECT{px(s.left), px(s.top), px(s.width) + 1, px(s.height) + 1};
    return RECT{px(s.left), px(s.top), px(s.left + s.width), px(s.top + s.height)};
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Registered messages have no fixed number to switch on.
    if (message != 0 && (message == taskbarCreated_ || message == startedAgain_)) return OnRegistered(message);
    switch (message) {
        case WM_CREATE: return OnCreate();
        case WM_DESTROY: return OnDestroy();
        case WM_ENDSESSION: return OnEndSession(wParam != FALSE);
        case WM_PAINT: return OnPaint();
        case WM_ERASEBKGND: return 1;
        case WM_COMMAND: return OnCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        case WM_CTLCOLORSTATIC: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        case WM_CTLCOLOREDIT: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        case WM_CTLCOLORLISTBOX: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        case WM_CTLCOLORBTN: return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        case WM_DRAWITEM: return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        case WM_TIMER: return OnTimer(static_cast<UINT_PTR>(wParam));
        case WM_LBUTTONDOWN: return OnButtonDown(VK_LBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_RBUTTONDOWN: return OnButtonDown(VK_RBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_MBUTTONDOWN: return OnButtonDown(VK_MBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_LBUTTONUP: return OnButtonUp(VK_LBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_RBUTTONUP: return OnButtonUp(VK_RBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_MBUTTONUP: return OnButtonUp(VK_MBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_MOUSEMOVE: return OnMouseMove();
        case WM_CAPTURECHANGED: return OnCaptureChanged();
        case WM_NCLBUTTONDOWN: return OnCaptionPress(wParam, message, lParam);
        case WM_SETCURSOR: return OnSetCursor(reinterpret_cast<HWND>(wParam), LOWORD(lParam), message, wParam, lParam);
        case DM_GETDEFID: return OnGetDefaultId();
        case WM_ACTIVATE: return OnActivate(LOWORD(wParam));
        case WM_UPDATEUISTATE: return OnUpdateUiState(message, wParam, lParam);
        case WM_GETOBJECT: return OnGetObject(wParam, lParam);
        case WM_GETMINMAXINFO: return OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        case WM_SIZE: return OnSize(static_cast<UINT>(wParam));
        case kRestoreSize: return OnRestoreSize();
        case kAccessibleAction: return OnAccessibleAction(wParam);
        default: return Default(message, wParam, lParam);
    }
}

LRESULT MainWindow::OnCreate() {
    platform_.SetOwner(hwnd_);
    // Loaded once; a banner that cannot be loaded leaves the plain strip.
    const RECT banner = Place(*FindSpec("Image2"));
    banner_ = LoadJpegResource(instance_, IDR_BANNER, banner.right - banner.left, banner.bottom - banner.top);
    CreateControls();
    form_ = std::make_unique<Form1>(platform_, static_cast<ControlSet&>(*this));
    return 0;
}

LRESULT MainWindow::OnDestroy() {
    if (form_ && form_->Form.Unload) form_->Form.Unload();
    // Every road out passes here: records already published still reach the
    // messengers that answer, for about as long as one send may take.
    platform_.Delivery().Finish(std::chrono::milliseconds(Win32Platform::kSendTimeoutMs));
    PostQuitMessage(0);
    return 0;
}

LRESULT MainWindow::OnEndSession(bool ending) {
    // The session ends with this process: the window goes first, and with it the icon.
    if (ending) DestroyWindow(hwnd_);
    return 0;
}

void MainWindow::CreateControls() {
    Win32ControlHost& host = *this;
    for (const ControlSpec& s : Form1Layout()) {
        const RECT r = Place(s);
        std::unique_ptr<Control> control;
        switch (s.kind) {
            case Kind::Label: {
                auto label = std::make_unique<Win32Label>(hwnd_, r, s.text ? Text(s.text) : Text());
                windowless_.push_back({&s, label.get(), r});
                control = std::move(label);
                break;
            }
            case Kind::Image: {
                auto image = std::make_unique<Win32Image>(hwnd_, r);
                windowless_.push_back({&s, image.get(), r});
                control = std::move(image);
                break;
            }
            case Kind::Line: windowless_.push_back({&s, nullptr, r}); break;
            case Kind::PictureBox: control = std::make_unique<Win32PictureBox>(host, s, smallIcon_.get()); break;
            case Kind::CheckBox: control = std::make_unique<Win32CheckBox>(host, s); break;
            case Kind::OptionButton:  // the first of the group starts selected
                control = std::make_unique<Win32OptionButton>(host, s, StartsGroup(s));
                break;
            case Kind::TextBox: control = std::make_unique<Win32TextBox>(host, s); break;
            case Kind::CommandButton: {
                auto button = std::make_unique<Win32CommandButton>(host, s);
                buttons_.push_back(button.get());
                if (s.isDefault) activateButton_ = button.get();
                control = std::move(button);
                break;
            }
            case Kind::ListBox: {
                auto list = std::make_unique<Win32ListBox>(host, s);
                for (const char16_t* phrase : DefaultPhrases()) list->AddItem(phrase);
                control = std::move(list);
                break;
            }
        }
        if (s.tooltip) AddTooltip(s, r);
        if (control) controls_.emplace(s.name, std::move(control));
    }
    UINT_PTR timerId = 1;
    for (const TimerSpec& t : Form1Timers()) {
        auto timer = std::make_unique<Win32Timer>(hwnd_, timerId++, t.interval);
        timer->SetEnabled(t.enabled);
        timers_.push_back(timer.get());
        controls_.emplace(t.name, std::move(timer));
    }
    controls_.emplace("Form1", std::make_unique<Win32Form>(hwnd_));
    BuildAccessibleTree();
    FocusMoved();
}

void MainWindow::AddTooltip(const ControlSpec& s, const RECT& rect) {
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, instance_, nullptr);
        if (!tooltip_) RaiseSystemError(u"İpucu penceresi oluşturulamadı");
    }
    std::wstring tip = Wide(s.tooltip);
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = hwnd_;
    info.uId = static_cast<UINT_PTR>(ControlId(s.name));
    info.rect = rect;
    info.lpszText = tip.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

// The wrapper of one of this window's own children; null for any other
// window, whoever sent the message naming it.
Win32Child* MainWindow::OwnChild(HWND child) const {
    return child && GetAncestor(child, GA_PARENT) == hwnd_ ? Win32Child::From(child) : nullptr;
}

LRESULT MainWindow::OnCommand(HWND child, int code) {
    if (Win32Child* control = OwnChild(child)) control->OnCommand(code);
    return 0;
}

LRESULT MainWindow::OnControlColor(HDC dc, HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Child* control = OwnChild(child);
    HBRUSH brush = control ? control->OnControlColor(dc) : nullptr;
    return brush ? reinterpret_cast<LRESULT>(brush) : Default(message, wParam, lParam);
}

LRESULT MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
    Win32Child* control = OwnChild(item.hwndItem);
    if (control) control->OnDrawItem(item);
    return control ? TRUE : FALSE;
}

// The window's size is fixed: a maximise (the system's command, another
// program's ShowWindow) changes nothing that stays.
LRESULT MainWindow::OnGetMinMaxInfo(MINMAXINFO& info) {
    RECT r{};
    GetWindowRect(hwnd_, &r);
    if (!IsZoomed(hwnd_) && !IsIconic(hwnd_)) {
        info.ptMaxSize = POINT{r.right - r.left, r.bottom - r.top};
        info.ptMaxPosition = POINT{r.left, r.top};
    }
    return 0;
}

LRESULT MainWindow::OnSize(UINT kind) {
    if (kind == SIZE_MAXIMIZED) PostMessageW(hwnd_, kRestoreSize, 0, 0);
    return 0;
}

LRESULT MainWindow::OnRestoreSize() {
    if (IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
    return 0;
}

LRESULT MainWindow::OnTimer(UINT_PTR id) {
    if (id >= 1 && id <= timers_.size()) {
        Win32Timer* timer = timers_[id - 1];
        if (timer->Enabled() && timer->Tick) timer->Tick();
    }
    return 0;
}

// What a screen reader walks: the child windows a user can see, in their
// order, then the labels painted in the window, the acting ones with a
// default action. Made once; a label's changing caption is read when asked.
void MainWindow::BuildAccessibleTree() {
    auto tree = std::make_shared<AccessibleTree>();
    tree->window = hwnd_;
    tree->actionMessage = kAccessibleAction;
    RECT client{};
    GetClientRect(hwnd_, &client);
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&r), 2);
        RECT seen{};
        if ((GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) && IntersectRect(&seen, &r, &client))
            tree->windows.push_back(child);
    }
    accessibleLabels_.clear();
    for (const Windowless& w : windowless_) {
        if (w.spec->kind != Kind::Label || BeyondTheEdge(*w.spec)) continue;
        auto* label = static_cast<Win32Label*>(w.control);
        const bool acts = w.spec->handCursor;
        const Text fixedName = w.spec->tooltip ? Text(w.spec->tooltip) : Text();
        AccessibleElement e{[label, fixedName] { return fixedName.empty() ? label->Caption() : fixedName; },
                            acts ? (w.spec->link ? ROLE_SYSTEM_LINK : ROLE_SYSTEM_PUSHBUTTON) : ROLE_SYSTEM_STATICTEXT,
                            w.rect, acts ? Text(w.spec->link ? u"Git" : u"Bas") : Text()};
        label->SetAccessibleId(tree->ElementId(tree->elements.size()));
        tree->elements.push_back(std::move(e));
        accessibleLabels_.push_back(label);
    }
    accessibleTree_ = std::move(tree);
}

LRESULT MainWindow::OnGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT)) return Default(WM_GETOBJECT, flags, objectId);
    const LRESULT object = ClientAccessibleObject(flags, accessibleTree_);
    return object ? object : Default(WM_GETOBJECT, flags, objectId);
}

// A reader's default action on a label, posted by its object: what a click does.
LRESULT MainWindow::OnAccessibleAction(WPARAM index) {
    if (index < accessibleLabels_.size()) {
        Win32Label* label = accessibleLabels_[index];
        if (label->Enabled() && label->Click) label->Click();
    }
    return 0;
}

LRESULT MainWindow::OnRegistered(UINT message) {
    if (!form_) return 0;
    FormWindow& form = form_->Form;
    if (message == taskbarCreated_ && form.TaskbarCreated) form.TaskbarCreated();
    if (message == startedAgain_) {
        if (form.StartedAgain) form.StartedAgain();
        SetForegroundWindow(hwnd_);
    }
    return 0;
}

}  // namespace velkora
