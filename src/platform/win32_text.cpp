#include "platform/win32_text.h"

namespace velkora {

Text WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    std::wstring buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(hwnd, buffer.data(), length + 1);
    return FromWide(buffer.data(), static_cast<std::size_t>(copied > 0 ? copied : 0));
}

}  // namespace velkora
