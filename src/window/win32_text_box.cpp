// The text box: an edit control whose limit holds for whole characters, by
// every road a user's text comes in (typing, a paste, editing keys).
#include "window/win32_controls.h"

#include <climits>

namespace velkora {

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

Win32TextBox::Win32TextBox(Win32ControlHost& host, const ControlSpec& spec) : Win32Control(host, spec) {
    // A holder beyond the window's edge can take the focus but never input:
    // only the program writes it.
    const bool holder = BeyondTheEdge(spec);
    Create(L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP | (holder ? ES_READONLY : 0), holder ? 0 : WS_EX_CLIENTEDGE);
    if (spec.maxLength > 0) SendMessageW(hwnd_, EM_LIMITTEXT, static_cast<WPARAM>(spec.maxLength), 0);
}

void Win32TextBox::SetText(const Text& text) {
    // The uptime refresh writes the same sentence for a minute: an unchanged
    // text costs no WM_SETTEXT.
    if (text != WindowText(hwnd_)) SetWindowTextW(hwnd_, Wide(text).c_str());
}

LRESULT Win32TextBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // Any other editing step ends the wait for the second half of a typed pair.
    if ((message == WM_KEYDOWN && wParam != VK_PACKET) || message == WM_PASTE || message == WM_CUT ||
        message == WM_CLEAR || message == WM_UNDO)
        highTyped_ = false;
    switch (message) {
        case WM_CHAR: return OnChar(wParam, lParam);
        case WM_PASTE: return OnPaste();
        case kMendCharacters: return OnMendCharacters();
        default: return Default(message, wParam, lParam);
    }
}

// Every editing road ends in a change, the ones that pass no WM_CHAR or
// WM_PASTE too (Shift+Insert, Backspace and Delete take one unit of a pair in
// some edit controls): half a character left standing alone is taken out,
// the caret kept where it was. Mended once the edit control has finished its
// own step, not inside it.
void Win32TextBox::OnCommand(int code) {
    // A character typed as two WM_CHARs is half there between them: not mended.
    if (code != EN_CHANGE || highTyped_ || mendPosted_) return;
    const Text text = GetText();
    if (WholeCharacters(text) != text) mendPosted_ = PostMessageW(hwnd_, kMendCharacters, 0, 0) != FALSE;
}

LRESULT Win32TextBox::OnMendCharacters() {
    mendPosted_ = false;
    const Text text = GetText();
    const Text whole = WholeCharacters(text);
    if (whole == text) return 0;
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    const auto caret = static_cast<DWORD>(WholeCharacters(TextView(text).substr(0, std::min<std::size_t>(end, text.size()))).size());
    SetWindowTextW(hwnd_, Wide(whole).c_str());
    SendMessageW(hwnd_, EM_SETSEL, caret, caret);
    return 0;
}

int Win32TextBox::Room() const {
    if (spec_.maxLength <= 0) return INT_MAX;
    DWORD start = 0, end = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return spec_.maxLength - (GetWindowTextLengthW(hwnd_) - static_cast<int>(end - start));
}

// The limit counts UTF-16 units: a character of two units that would cross
// it is refused whole, never cut in half.
LRESULT Win32TextBox::OnChar(WPARAM character, LPARAM lParam) {
    const auto c = static_cast<wchar_t>(character);
    highTyped_ = IsHighSurrogate(c);
    if (IsHighSurrogate(c)) {
        droppingPair_ = Room() < 2;
        if (droppingPair_) return 0;
    } else if (IsLowSurrogate(c) && droppingPair_) {
        droppingPair_ = false;
        return 0;
    } else {
        droppingPair_ = false;
    }
    return Default(WM_CHAR, character, lParam);
}

LRESULT Win32TextBox::OnPaste() {
    if (spec_.maxLength <= 0 || (GetWindowLongW(hwnd_, GWL_STYLE) & ES_READONLY)) return Default(WM_PASTE, 0, 0);
    // As any edit box: with no text on the clipboard (empty, or only a
    // picture), a paste changes nothing.
    if (!OpenClipboard(hwnd_)) return 0;
    std::wstring text;
    bool hasText = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            hasText = true;
            GlobalUnlock(data);
        }
    CloseClipboard();
    if (!hasText) return 0;
    text.resize(std::min(text.find_first_of(L"\r\n"), text.size()));  // a one-line box takes the first line
    const auto room = static_cast<std::size_t>(std::max(Room(), 0));
    if (text.size() > room) {
        text.resize(room);
        if (!text.empty() && IsHighSurrogate(text.back())) text.pop_back();
    }
    SendMessageW(hwnd_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
}

}  // namespace velkora
