// The main window's input: presses on the painted controls (each takes its
// own), the window's own move for the right and middle buttons, the pointer
// over the acting labels, and where the keyboard focus shows and Enter goes.
#include "window/win32_main_window.h"

namespace velkora {

// A disabled window (a message box is up) gets no input from a hand; one
// posted to it is refused the same.
LRESULT MainWindow::OnButtonDown(int key, int x, int y, bool second) {
    if (!IsWindowEnabled(hwnd_)) return 0;
    Win32Windowless* hit = controls_->At(POINT{x, y}).painted;
    if (hit && hit->Press(key, second)) {
        pressed_ = hit;  // a label's click comes on release over the same label
        SetCapture(hwnd_);
    }
    return 0;
}

LRESULT MainWindow::OnButtonUp(int key, int x, int y) {
    if (move_.key == key) EndButtonMove();
    Win32Windowless* pressed = pressed_;
    if (key != VK_LBUTTON || !pressed) return 0;
    pressed_ = nullptr;
    ReleaseCapture();
    if (IsWindowEnabled(hwnd_)) pressed->Release(controls_->At(POINT{x, y}).painted == pressed);
    return 0;
}

LRESULT MainWindow::OnCaptionPress(WPARAM hitTest, UINT message, LPARAM lParam) {
    // The system's move follows the left button. A move begun with the right
    // or middle button is run here, and ends when that button is released.
    if (hitTest != HTCAPTION || GetKeyState(VK_LBUTTON) < 0) return Default(message, hitTest, lParam);
    for (int key : {VK_RBUTTON, VK_MBUTTON}) {
        if (GetKeyState(key) >= 0) continue;
        POINT pointer;
        RECT window;
        GetCursorPos(&pointer);
        GetWindowRect(hwnd_, &window);
        move_ = {key, {pointer.x - window.left, pointer.y - window.top}};
        SetCapture(hwnd_);
        break;
    }
    return 0;
}

LRESULT MainWindow::OnMouseMove() {
    if (move_.key == 0) return 0;
    if (GetKeyState(move_.key) >= 0) {  // released where this window could not see it
        EndButtonMove();
        return 0;
    }
    POINT pointer;
    GetCursorPos(&pointer);
    SetWindowPos(hwnd_, nullptr, pointer.x - move_.grab.x, pointer.y - move_.grab.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

void MainWindow::EndButtonMove() {
    move_ = {};
    if (GetCapture() == hwnd_) ReleaseCapture();
}

LRESULT MainWindow::OnCaptureChanged() {
    move_ = {};
    pressed_ = nullptr;
    return 0;
}

LRESULT MainWindow::OnSetCursor(HWND hwnd, int hitTest, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd == hwnd_ && hitTest == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        const Win32Windowless* hit = controls_->At(p).painted;
        if (hit && hit->HandCursor()) {
            SetCursor(hand_);
            return TRUE;
        }
    }
    return Default(message, wParam, lParam);
}

Win32CommandButton* MainWindow::DefaultButton() const {
    // Enter presses the focused push button, or else the activate button.
    auto* focused = dynamic_cast<Win32CommandButton*>(Window::From(GetFocus()));
    return focused ? focused : controls_->ActivateButton();
}

void MainWindow::FocusMoved() {
    Win32CommandButton* pressedByEnter = DefaultButton();
    for (Win32CommandButton* button : controls_->Buttons()) button->SetDefault(button == pressedByEnter);
    // A control without a caption shows its focus on the label that names it.
    const auto* focused = dynamic_cast<const Win32Child*>(Window::From(GetFocus()));
    Win32Label* mark = focused ? controls_->LabelNamed(focused->Spec().namedBy) : nullptr;
    if (mark == focusMark_) return;
    if (focusMark_) focusMark_->SetFocusMark(false);
    focusMark_ = mark;
    if (mark) mark->SetFocusMark(true);
}

LRESULT MainWindow::OnGetDefaultId() {
    Win32CommandButton* button = DefaultButton();
    return MAKELRESULT(button ? GetDlgCtrlID(button->Hwnd()) : 0, DC_HASDEFID);
}

LRESULT MainWindow::OnActivate(int state) {
    if (state == WA_INACTIVE) {
        lastFocus_ = GetFocus();
        return 0;
    }
    HWND focus = lastFocus_ && IsChild(hwnd_, lastFocus_) && IsWindowEnabled(lastFocus_)
                     ? lastFocus_
                     : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (focus) SetFocus(focus);
    return 0;
}

LRESULT MainWindow::OnUpdateUiState(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default(message, wParam, lParam);
    if (focusMark_) focusMark_->InvalidateFocusMark();  // drawn again with the keyboard cues as they are now
    return result;
}

}  // namespace velkora
