// The Win32 boundary for text: the core's UTF-16 texts to and from the W
// functions' wide strings (2-byte wchar_t on Windows).
#pragma once

#include <windows.h>

#include <string>

#include "platform/text.h"

namespace velkora {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

inline std::wstring Wide(const Text& text) { return std::wstring(text.begin(), text.end()); }
inline Text FromWide(const wchar_t* text, std::size_t length) { return Text(text, text + length); }
inline Text FromWide(const std::wstring& text) { return FromWide(text.data(), text.size()); }

// The text of a window (control) through GetWindowTextW.
Text WindowText(HWND hwnd);

}  // namespace velkora
