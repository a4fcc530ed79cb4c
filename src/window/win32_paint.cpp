#include "window/win32_paint.h"

#include <olectl.h>

#include <cstring>

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

// Releases a COM interface on every path out of a scope.
template <class T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

// The resource's bytes in a movable memory block, as OLE's streams take them.
HGLOBAL CopyResource(HINSTANCE instance, int resourceId, DWORD& size) {
    HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
    const void* bytes = info ? LockResource(LoadResource(instance, info)) : nullptr;
    size = info ? SizeofResource(instance, info) : 0;
    if (!bytes || size == 0) return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    void* target = copy ? GlobalLock(copy) : nullptr;
    if (!target) {
        if (copy) GlobalFree(copy);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy);
    return copy;
}

}  // namespace

bool HighContrastOn() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) && (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

Scheme SystemScheme(bool highContrast) {
    Scheme scheme;
    scheme.highContrast = highContrast;
    for (std::size_t i = 0; i < scheme.system.size(); ++i) {
        const COLORREF c = GetSysColor(static_cast<int>(i));
        scheme.system[i] = Rgb{GetRValue(c), GetGValue(c), GetBValue(c)};
    }
    return scheme;
}

HFONT Win32Paints::Font(FontId id) {
    if (auto it = fonts_.find(id); it != fonts_.end()) return it->second.get();
    const FontFace f = FaceOf(id);
    // Rounded down: at no DPI is a caption wider against its control than
    // at 96 (where every size is whole), so none runs past the window's edge.
    const int height = -(f.hundredthsOfPoint * dpi_ / 7200);
    auto create = [&](const wchar_t* face) {
        return UniqueGdi<HFONT>(CreateFontW(height, 0, 0, 0, f.weight, FALSE, f.underline, FALSE, f.charset,
                                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                            DEFAULT_PITCH | FF_DONTCARE, face));
    };
    UniqueGdi<HFONT> font;
    for (const wchar_t* face : {f.face, L"Microsoft Sans Serif", L"Tahoma"}) {
        font = create(face);
        if (font && HasTurkishLetters(font.get())) break;
        font.reset();
    }
    if (!font) font = create(L"Arial");  // the last resort, whatever it lacks
    return fonts_.emplace(id, std::move(font)).first->second.get();
}

HBRUSH Win32Paints::Brush(COLORREF color) {
    if (auto it = brushes_.find(color); it != brushes_.end()) return it->second.get();
    return brushes_.emplace(color, UniqueGdi<HBRUSH>(CreateSolidBrush(color))).first->second.get();
}

UniqueGdi<HBITMAP> LoadJpegResource(HINSTANCE instance, int resourceId, int width, int height) {
    DWORD size = 0;
    HGLOBAL bytes = CopyResource(instance, resourceId, size);
    if (!bytes) return nullptr;
    Released<IStream> stream;
    if (FAILED(CreateStreamOnHGlobal(bytes, TRUE, &stream.p))) {  // the stream owns the block from here on
        GlobalFree(bytes);
        return nullptr;
    }
    Released<IPicture> picture;
    if (FAILED(OleLoadPicture(stream.p, static_cast<LONG>(size), FALSE, __uuidof(IPicture),
                              reinterpret_cast<void**>(&picture.p))) ||
        !picture.p)
        return nullptr;

    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    picture.p->get_Width(&hmWidth);
    picture.p->get_Height(&hmHeight);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen, width, height));
    bool drawn = false;
    if (dc && bitmap) {
        HGDIOBJ old = SelectObject(dc, bitmap.get());
        drawn = SUCCEEDED(picture.p->Render(dc, 0, 0, width, height, 0, hmHeight, hmWidth, -hmHeight, nullptr));
        SelectObject(dc, old);
    }
    if (dc) DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return drawn ? std::move(bitmap) : nullptr;
}

}  // namespace velkora
