#include "window/win32_main_window.h"

#include <commctrl.h>
#include <oleacc.h>
#include <windowsx.h>

#include "resource_ids.h"
#include "window/win32_dpi.h"
#include "window/win32_startup.h"

namespace velkora {

MainWindow::~MainWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindow::Create(HINSTANCE instance, int showCommand) {
    instance_ = instance;
    dpi_ = SystemDpi();
    icons_ = LoadIcons(dpi_);
    hand_ = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_HAND_POINTER));
    if (!hand_) hand_ = LoadCursorW(nullptr, IDC_HAND);
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    startedAgain_ = RegisterWindowMessageW(kStartedAgainMessage);

    const auto* className = reinterpret_cast<const wchar_t*>(kMainWindowClass);
    // Double-clicks are told apart: the second press on a label is no click.
    RegisterClassOnce(instance, className, LoadCursorW(nullptr, IDC_ARROW), icons_.large.get(), icons_.small.get(),
                      CS_DBLCLKS);

    // No title bar, no system buttons, a fixed size: the banner stands in for
    // the caption. Centred in the work area; where the window is taller or
    // wider than it, the banner and "X" stay on it.
    RECT frame = Frame(dpi_);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    OffsetRect(&frame, -frame.left + work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
               -frame.top + work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2);
    frame = OnWorkArea(frame);
    if (!CreateWindowFor(kExStyle, className, kStyle, frame, nullptr, 0, instance))
        RaiseSystemError(u"Velkora penceresi oluşturulamadı");
    // Made on a monitor of another DPI than the system's: laid out again for it.
    if (const int shown = dpiOf_(hwnd_); shown != dpi_ && shown >= kLeastDpi && shown <= kMostDpi)
        Rescale(shown, POINT{frame.left, frame.top});

    // A copy run as administrator still hears the shell and a second start.
    for (UINT message : {taskbarCreated_, startedAgain_}) ChangeWindowMessageFilterEx(hwnd_, message, MSGFLT_ALLOW, nullptr);

    // The window is hidden until its load handler has run. Asked to start
    // minimised or hidden (a shortcut's "Run: Minimized", a launcher), it
    // goes to the notification area as "Beni Gizle |" takes it; asked to
    // start maximised, it keeps its fixed size.
    form_->Form.Load();
    loaded_ = true;
    StartupPhase("loaded");
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

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Until its controls are made, the window is the system's.
    if (!controls_ && message != WM_CREATE && message != WM_DESTROY) return Default(message, wParam, lParam);
    // Registered messages have no fixed number to switch on.
    if (message != 0 && (message == taskbarCreated_ || message == startedAgain_)) return OnRegistered(message, wParam);
    switch (message) {
        case WM_CREATE: return OnCreate();
        case WM_DESTROY: return OnDestroy();
        case WM_ENDSESSION: return OnEndSession(wParam != FALSE);
        case WM_PAINT: return OnPaint();
        case WM_ERASEBKGND: return 1;
        case WM_TIMER: return OnTimer(static_cast<UINT_PTR>(wParam));
        case WM_LBUTTONDOWN: return OnButtonDown(VK_LBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_RBUTTONDOWN: return OnButtonDown(VK_RBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_MBUTTONDOWN: return OnButtonDown(VK_MBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        case WM_LBUTTONDBLCLK: return OnButtonDown(VK_LBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), true);
        case WM_RBUTTONDBLCLK: return OnButtonDown(VK_RBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), true);
        case WM_MBUTTONDBLCLK: return OnButtonDown(VK_MBUTTON, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), true);
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
        case WM_ENABLE: return OnEnable();
        case WM_DPICHANGED: return OnDpiChanged(wParam, lParam);
        case WM_SYSCOLORCHANGE: return OnColorsChanged(message, wParam, lParam);
        case WM_SETTINGCHANGE: return OnColorsChanged(message, wParam, lParam);
        case WM_THEMECHANGED: return OnColorsChanged(message, wParam, lParam);
        case kRestoreSize: return OnRestoreSize();
        case Form1Controls::kActMessage: return OnAct(wParam);
        default: return Default(message, wParam, lParam);
    }
}

LRESULT MainWindow::OnCreate() {
    platform_.SetOwner(hwnd_);
    controls_ = std::make_shared<Form1Controls>(hwnd_, instance_, dpi_, icons_.tray.get(), [this] { FocusMoved(); });
    controls_->Paints().SetScheme(SystemScheme(highContrastOn_()));
    controls_->Create();
    FocusMoved();
    form_ = std::make_unique<Form1>(platform_, *controls_);
    return 0;
}

LRESULT MainWindow::OnDestroy() {
    // From now on the window takes no hand-over: a second start runs as the copy.
    platform_.LetAnotherCopyRun();
    if (form_ && form_->Form.Unload) form_->Form.Unload();
    PostQuitMessage(0);
    return 0;
}

LRESULT MainWindow::OnEndSession(bool ending) {
    // The session ends with this process: the window goes first, and with it the icon.
    if (ending) DestroyWindow(hwnd_);
    return 0;
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
    if (id == kHandOverTimer) return OnHandedOver();
    Win32Timer* timer = controls_ ? controls_->TimerWithId(id) : nullptr;
    if (timer && timer->Enabled() && timer->Tick) timer->Tick();
    return 0;
}

LRESULT MainWindow::OnGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<DWORD>(objectId) != static_cast<DWORD>(OBJID_CLIENT)) return Default(WM_GETOBJECT, flags, objectId);
    IAccessible* client = controls_->ClientObject();
    const LRESULT object = client ? LresultFromObject(__uuidof(IAccessible), flags, client) : 0;
    return object > 0 ? object : Default(WM_GETOBJECT, flags, objectId);
}

// A reader's default action on a painted control, posted by its object: what
// a click does, unless the window has been disabled since (a message box).
LRESULT MainWindow::OnAct(WPARAM painted) {
    if (IsWindowEnabled(hwnd_) && painted < controls_->Painted().size()) controls_->Painted()[painted]->Act();
    return 0;
}

// The painted controls are as enabled as the window: a reader hears them change with it.
LRESULT MainWindow::OnEnable() {
    for (const Win32Windowless* painted : controls_->Painted())
        if (const AccessibleElement* element = painted->Reader()) controls_->Announce(*element, EVENT_OBJECT_STATECHANGE);
    return 0;
}

LRESULT MainWindow::OnRegistered(UINT message, WPARAM wParam) {
    if (!form_ || !loaded_) return 0;
    FormWindow& form = form_->Form;
    if (message == taskbarCreated_ && form.TaskbarCreated) form.TaskbarCreated();
    if (message == startedAgain_) {
        if (form.StartedAgain) form.StartedAgain();
        SetForegroundWindow(hwnd_);
        // The start that asked (its process id in wParam) is told it was
        // taken once the input that came before its request is handled: a
        // click on "X" waiting there ends this copy, and that start runs.
        // A timer's tick comes only when no input waits.
        handOvers_.push_back(static_cast<DWORD>(wParam));
        SetTimer(hwnd_, kHandOverTimer, USER_TIMER_MINIMUM, nullptr);
    }
    return 0;
}

// Told when the user's colours or contrast change (WM_SYSCOLORCHANGE, which
// the common controls want passed on; WM_SETTINGCHANGE, for
// SPI_SETHIGHCONTRAST and "ImmersiveColorSet" among others; WM_THEMECHANGED):
// whatever it says, the setting is asked again. Nothing but the colours changes.
LRESULT MainWindow::OnColorsChanged(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOLORCHANGE)
        for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            SendMessageW(child, WM_SYSCOLORCHANGE, wParam, lParam);
    const Scheme now = SystemScheme(highContrastOn_());
    if (now.highContrast != controls_->Paints().Scheme().highContrast || now.system != controls_->Paints().Scheme().system) {
        controls_->Paints().SetScheme(now);
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
    }
    return Default(message, wParam, lParam);
}

LRESULT MainWindow::OnHandedOver() {
    KillTimer(hwnd_, kHandOverTimer);
    for (DWORD process : handOvers_) {
        if (HANDLE taken = OpenEventW(EVENT_MODIFY_STATE, FALSE, TakenOverEventName(process).c_str())) {
            SetEvent(taken);
            CloseHandle(taken);
        }
    }
    handOvers_.clear();
    return 0;
}

}  // namespace velkora
