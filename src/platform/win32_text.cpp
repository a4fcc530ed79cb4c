#include "platform/win32_text.h"

namespace velkora {

Text WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return FromWide(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

std::string ToAnsiCodePage(const Text& text) {
    if (text.empty()) return {};
    const std::wstring wide = Wide(text);
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace velkora
