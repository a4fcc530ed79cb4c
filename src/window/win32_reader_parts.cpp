// The parts the reader's objects are made of (win32_reader_parts.h): answers
// in the forms IAccessible takes, where a child lies, the walk's steps, and
// the kept object a window answers with.
#include "window/win32_reader_parts.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

namespace velkora {

namespace reader {

namespace {

BSTR ToBstr(const Text& text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()));
}

}  // namespace

HRESULT AnswerText(const Text& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = ToBstr(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT AnswerNumber(long number, VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = number;
    return S_OK;
}

HRESULT AnswerNothing(VARIANT* out) {
    if (!out) return E_POINTER;
    VariantInit(out);
    return S_FALSE;
}

HRESULT AnswerPlace(const RECT& r, long* x, long* y, long* width, long* height) {
    if (!x || !y || !width || !height) return E_POINTER;
    *x = r.left;
    *y = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
}

VARIANT Self() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// Where a child lies on the screen.
RECT ScreenPlace(const AccessibleTree& tree, const Child& child) {
    RECT r{};
    if (child.window) {
        GetWindowRect(child.window, &r);
    } else {
        r = child.element->ReaderPlace();
        MapWindowPoints(tree.Window(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    }
    return r;
}

namespace {

// The child met going `direction` from children[from]: the next or the
// previous in the walk, or the nearest one lying wholly above, below, left
// or right of it (the nearest row or column first, then the nearest across).
std::optional<std::size_t> Step(const AccessibleTree& tree, const std::vector<Child>& children, std::size_t from,
                                long direction) {
    if (direction == NAVDIR_NEXT) return from + 1 < children.size() ? std::optional(from + 1) : std::nullopt;
    if (direction == NAVDIR_PREVIOUS) return from > 0 ? std::optional(from - 1) : std::nullopt;
    if (direction != NAVDIR_UP && direction != NAVDIR_DOWN && direction != NAVDIR_LEFT && direction != NAVDIR_RIGHT)
        return std::nullopt;
    const RECT a = ScreenPlace(tree, children[from]);
    std::optional<std::size_t> best;
    long bestGap = 0, bestAcross = 0;
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (i == from) continue;
        const RECT b = ScreenPlace(tree, children[i]);
        const bool vertical = direction == NAVDIR_UP || direction == NAVDIR_DOWN;
        const long gap = direction == NAVDIR_UP     ? a.top - b.bottom
                         : direction == NAVDIR_DOWN ? b.top - a.bottom
                         : direction == NAVDIR_LEFT ? a.left - b.right
                                                    : b.left - a.right;
        const long across = vertical ? std::labs((a.left + a.right) - (b.left + b.right))
                                     : std::labs((a.top + a.bottom) - (b.top + b.bottom));
        if (gap < 0 || (best && (gap > bestGap || (gap == bestGap && across >= bestAcross)))) continue;
        best = i;
        bestGap = gap;
        bestAcross = across;
    }
    return best;
}

}  // namespace

// A child as the walk hands it out: its object, or its id where none can be had.
VARIANT ChildVariant(const Tree& tree, const Child& child, long id) {
    VARIANT v;
    VariantInit(&v);
    IDispatch* object = nullptr;
    if (SUCCEEDED(ChildObject(tree, child, __uuidof(IDispatch), reinterpret_cast<void**>(&object))) && object) {
        v.vt = VT_DISPATCH;
        v.pdispVal = object;
    } else {
        v.vt = VT_I4;
        v.lVal = id;
    }
    return v;
}

HRESULT NavigateFrom(const Tree& tree, const Child& from, long direction, VARIANT* end) {
    if (!end) return E_POINTER;
    VariantInit(end);
    return Guarded([&]() -> HRESULT {
        const std::vector<Child>& children = tree->Children();
        const auto it = std::find(children.begin(), children.end(), from);
        if (it == children.end()) return S_FALSE;  // not in the walk now
        const auto to = Step(*tree, children, static_cast<std::size_t>(it - children.begin()), direction);
        if (!to) return S_FALSE;
        *end = ChildVariant(tree, children[*to], static_cast<long>(*to + 1));
        return S_OK;
    });
}

}  // namespace reader

KeptAccessible::~KeptAccessible() {
    if (object_) object_->Release();
}

LRESULT KeptAccessible::Answer(WPARAM flags) const {
    if (!object_) return 0;
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), flags, object_);
    return result < 0 ? 0 : result;
}


}  // namespace velkora
