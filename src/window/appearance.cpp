#include "window/appearance.h"

namespace velkora {

namespace {

Rgb Of(Color c, const Scheme& scheme, int fallback) {
    switch (c.type) {
        case Color::Type::Rgb: return Rgb{c.r, c.g, c.b};
        case Color::Type::System: return scheme.system.at(static_cast<std::size_t>(c.systemIndex));
        case Color::Type::Default: break;
    }
    return scheme.system.at(static_cast<std::size_t>(fallback));
}

// A label whose text lies on the banner ("Beni Gizle |", "X"): the banner's
// strip is the first 495 twips of the window.
bool OnTheBanner(const ControlSpec& s) { return s.kind == Kind::Label && s.top < 495; }

// As the description gives it: today's window, to the pixel.
Look Described(const ControlSpec* s, bool enabled, const Scheme& scheme) {
    if (!s) return {Rgb{}, Of(kFormBack, scheme, kColorWindow), Rgb{}};
    const Rgb grey = scheme.system[kColorGrayText];
    switch (s->kind) {
        case Kind::Label: return {Of(s->fore, scheme, kColorWindowText), Rgb{}, Rgb{}};
        case Kind::Line: return {Rgb{128, 128, 128}, Rgb{}, Rgb{}};
        case Kind::CommandButton:
            if (!s->graphical) return {Rgb{}, Rgb{}, Rgb{}, true};
            return {enabled ? scheme.system[kColorButtonText] : grey, Of(s->back, scheme, kColorButtonFace), Rgb{0, 0, 0}};
        default:
            if (s->back.type == Color::Type::Default) return {Rgb{}, Rgb{}, Rgb{}, true};
            return {enabled ? Of(s->fore, scheme, kColorWindowText) : grey, Of(s->back, scheme, kColorWindow), Rgb{}};
    }
}

// From the system's pairs, one pair per kind of thing.
Look InHighContrast(const ControlSpec* s, bool enabled, const Scheme& scheme) {
    const auto& c = scheme.system;
    const Rgb text = enabled ? c[kColorWindowText] : c[kColorGrayText];
    if (!s) return {c[kColorWindowText], c[kColorWindow], c[kColorWindowText]};
    switch (s->kind) {
        case Kind::Label:
            return {s->link && enabled ? c[kColorHotLight] : text, c[kColorWindow], c[kColorWindowText], false, OnTheBanner(*s)};
        case Kind::Line: return {c[kColorWindowText], c[kColorWindow], c[kColorWindowText]};
        case Kind::CommandButton:
            if (!s->graphical) return {Rgb{}, Rgb{}, Rgb{}, true};
            return {enabled ? c[kColorButtonText] : c[kColorGrayText], c[kColorButtonFace], c[kColorButtonText]};
        default:
            if (s->back.type == Color::Type::Default) return {Rgb{}, Rgb{}, Rgb{}, true};
            return {text, c[kColorWindow], c[kColorWindowText]};
    }
}

}  // namespace

Look LookOf(const ControlSpec* spec, bool enabled, const Scheme& scheme) {
    return scheme.highContrast ? InHighContrast(spec, enabled, scheme) : Described(spec, enabled, scheme);
}

}  // namespace velkora
