// What the window draws with: its fonts and brushes, made once from the
// window's description and released with it, the banner picture, and owners
// for GDI and USER handles.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <type_traits>
#include <utility>

#include "window/appearance.h"
#include "window/form1_layout.h"

namespace velkora {

// One owner per handle: each releases its handle when it goes.
struct GdiObjectDeleter {
    void operator()(void* object) const { DeleteObject(static_cast<HGDIOBJ>(object)); }
};
struct IconDeleter {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
template <class Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

inline COLORREF Ref(Rgb c) { return RGB(c.r, c.g, c.b); }

// The system's colours now, and whether the user has high contrast on
// (SPI_GETHIGHCONTRAST), the one place the program reads the setting.
bool HighContrastOn();
Scheme SystemScheme(bool highContrast);

class Win32Paints {
public:
    explicit Win32Paints(int dpi) : dpi_(dpi) {}
    Win32Paints(const Win32Paints&) = delete;
    Win32Paints& operator=(const Win32Paints&) = delete;

    HFONT Font(FontId id);       // made on first use; every Turkish letter renders
    HBRUSH Brush(COLORREF color);  // one brush per colour
    int Dpi() const { return dpi_; }
    // The colours everything is drawn in (appearance.h), and the look of a
    // control of the description, or of the window itself (null).
    const velkora::Scheme& Scheme() const { return scheme_; }
    void SetScheme(const velkora::Scheme& scheme) { scheme_ = scheme; }
    Look LookOf(const ControlSpec* spec, bool enabled) const { return velkora::LookOf(spec, enabled, scheme_); }
    // From now on fonts are made for `dpi`. The fonts made so far are handed
    // back: controls still show them until they are given the new ones.
    std::map<FontId, UniqueGdi<HFONT>> Rescale(int dpi) {
        dpi_ = dpi;
        return std::exchange(fonts_, {});
    }

private:
    int dpi_;
    velkora::Scheme scheme_ = SystemScheme(false);
    std::map<FontId, UniqueGdi<HFONT>> fonts_;
    std::map<COLORREF, UniqueGdi<HBRUSH>> brushes_;
};

// Loads a JPEG resource through OLE and draws it into a bitmap of the given
// size. Null when it cannot be loaded.
UniqueGdi<HBITMAP> LoadJpegResource(HINSTANCE instance, int resourceId, int width, int height);

}  // namespace velkora
