#include "platform/text.h"

namespace velkora {

Text WholeNumberText(std::int64_t value) {
    // Work in the unsigned domain so that the most negative value is safe.
    std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                        : static_cast<std::uint64_t>(value);
    char16_t digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    Text out;
    out.reserve(n + 1);
    if (value < 0) out.push_back(u'-');
    while (n > 0) out.push_back(digits[--n]);
    return out;
}

std::string ToUtf8(TextView text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;  // a lone surrogate cannot be written as UTF-8
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

Text FromUtf8(std::string_view utf8) {
    Text out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        auto b = static_cast<unsigned char>(utf8[i]);
        std::uint32_t c = 0xFFFD;
        std::size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > utf8.size()) {
            ++i;
        } else {
            c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
            bool ok = true;
            for (std::size_t k = 1; k < len; ++k) {
                auto cont = static_cast<unsigned char>(utf8[i + k]);
                if ((cont & 0xC0) != 0x80) { ok = false; break; }
                c = (c << 6) | (cont & 0x3F);
            }
            i += ok ? len : 1;
            if (!ok) c = 0xFFFD;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

void AppendWholeCharacters(Text& to, TextView text) {
    auto high = [](char16_t c) { return c >= 0xD800 && c <= 0xDBFF; };
    auto low = [](char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (high(c) && i + 1 < text.size() && low(text[i + 1])) {
            to += c;
            to += text[++i];
        } else if (!high(c) && !low(c)) {
            to += c;
        }
    }
}

Text WholeCharacters(TextView text) {
    Text whole;
    whole.reserve(text.size());
    AppendWholeCharacters(whole, text);
    return whole;
}

}  // namespace velkora
