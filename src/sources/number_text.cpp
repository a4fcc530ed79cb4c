#include "sources/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/runtime_error.h"

namespace velkora {

Text DoubleText(double value, const Text& sep) {
    if (value == 0 || !std::isfinite(value)) return u"0";

    // The exact decimal expansion: a double never needs more than 767
    // significant digits, so nothing is rounded here.
    char buf[900];
    auto result = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 800);
    std::string exact(buf, result.ptr);
    const std::size_t e = exact.find('e');
    int exponent = std::atoi(exact.c_str() + e + 1);
    std::string digits = exact.substr(0, 1) + exact.substr(2, e - 2);

    // Keep 15 digits; the 16th decides: 5 or more rounds the magnitude up, so
    // that an exact tie goes away from zero.
    const bool roundUp = digits[15] >= '5';
    digits.resize(15);
    if (roundUp) {
        int i = 14;
        while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0) {
            ++digits[static_cast<std::size_t>(i)];
        } else {
            digits.insert(digits.begin(), '1');
            digits.pop_back();
            ++exponent;
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    Text out;
    if (value < 0) out.push_back(u'-');
    auto append = [&out](std::string_view s) {
        for (char c : s) out.push_back(static_cast<char16_t>(c));
    };
    if (exponent >= 15 || exponent < -5) {
        append(digits.substr(0, 1));
        if (digits.size() > 1) {
            out += sep;
            append(std::string_view(digits).substr(1));
        }
        out += exponent < 0 ? u"E-" : u"E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) out.push_back(u'0');
        out += WholeNumberText(magnitude);
    } else if (exponent < 0) {
        out.push_back(u'0');
        out += sep;
        out.append(static_cast<std::size_t>(-exponent - 1), u'0');
        append(digits);
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= whole) {
            append(digits);
            out.append(whole - digits.size(), u'0');
        } else {
            append(std::string_view(digits).substr(0, whole));
            out += sep;
            append(std::string_view(digits).substr(whole));
        }
    }
    return out;
}

double ParseNumber(const Text& text, const Text& sep) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == u' ' || text[begin] == u'\t')) ++begin;
    while (end > begin && (text[end - 1] == u' ' || text[end - 1] == u'\t')) --end;

    std::string ascii;
    bool digitSeen = false, separatorSeen = false;
    for (std::size_t i = begin; i < end; ++i) {
        const char16_t c = text[i];
        if (c >= u'0' && c <= u'9') {
            ascii.push_back(static_cast<char>(c));
            digitSeen = true;
        } else if ((c == u'-' || c == u'+') && i == begin) {
            if (c == u'-') ascii.push_back('-');
        } else if (!separatorSeen && !sep.empty() && text.compare(i, sep.size(), sep) == 0) {
            ascii.push_back('.');
            separatorSeen = true;
            i += sep.size() - 1;
        } else {
            errors::Raise(errors::kTypeMismatch);
        }
    }
    if (!digitSeen) errors::Raise(errors::kTypeMismatch);
    double value = 0;
    std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    return value;
}

}  // namespace velkora
